#include "link/PortTraceFile.h"

namespace veltra {

std::string traceLine(std::int64_t msSinceOpen, char kind, const std::uint8_t* data,
                      std::size_t n) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line = std::to_string(msSinceOpen);
    line += ' ';
    line += kind;
    line += ' ';
    line.reserve(line.size() + 2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        line += kDigits[data[i] >> 4];
        line += kDigits[data[i] & 0x0F];
    }
    return line;
}

PortTraceFile::PortTraceFile(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {}

PortTraceFile::~PortTraceFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void PortTraceFile::record(std::int64_t msSinceOpen, char kind, const std::uint8_t* data,
                           std::size_t n) {
    writeLine(traceLine(msSinceOpen, kind, data, n));
}

void PortTraceFile::recordFailure(std::int64_t msSinceOpen, char kind, const std::string& reason) {
    writeLine(std::to_string(msSinceOpen) + " E " + kind + ' ' + reason);
}

void PortTraceFile::writeLine(const std::string& line) {
    if (file_ == nullptr) {
        return;
    }
    std::fprintf(file_, "%s\n", line.c_str());
    // Flushed per line so that the trace survives a program that ends on an error.
    std::fflush(file_);
}

}  // namespace veltra
