#pragma once
// A port trace written to a file, one line per transfer: "<ms> <W|R|D> <lower-case hex>", where
// ms counts from the opening of the port, W is a write, R a read and D the device ID; a write or
// read that failed adds "<ms> E <W|R> <the system's reason>".
#include <cstdio>
#include <string>

#include "link/Malprinterdriver.h"

namespace veltra {

class PortTraceFile final : public PortTrace {
public:
    explicit PortTraceFile(const std::string& path);
    ~PortTraceFile() override;
    PortTraceFile(const PortTraceFile&) = delete;
    PortTraceFile& operator=(const PortTraceFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    void record(std::int64_t msSinceOpen, char kind, const std::uint8_t* data,
                std::size_t n) override;
    void recordFailure(std::int64_t msSinceOpen, char kind, const std::string& reason) override;

private:
    void writeLine(const std::string& line);

    std::FILE* file_ = nullptr;
};

// One trace line without its line end.
std::string traceLine(std::int64_t msSinceOpen, char kind, const std::uint8_t* data, std::size_t n);

}  // namespace veltra
