#include "link/EepromImageFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "link/HexText.h"

#ifndef VELTRA_VERSION
#define VELTRA_VERSION "unknown"
#endif

namespace veltra {

namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kByteLines = 16;
constexpr std::string_view kCrcKey = "crc32";

// The header keys in the order they are written and expected.
struct HeaderKey {
    std::string_view key;
    std::string EepromImageHeader::*field;
};
constexpr std::array<HeaderKey, 6> kHeaderKeys{{
    {"model", &EepromImageHeader::model},
    {"device-id", &EepromImageHeader::deviceId},
    {"usb-id", &EepromImageHeader::usbId},
    {"head-id", &EepromImageHeader::headId},
    {"saved", &EepromImageHeader::saved},
    {"program", &EepromImageHeader::program},
}};

// A file a person may have edited: digits of either case.
std::optional<std::uint8_t> hexPair(std::string_view s) {
    return veltra::hexPair(s, HexCase::Either);
}

void appendHex(std::string& out, std::uint8_t v) {
    appendHexByte(out, v);
}

// Splits into lines at '\n', dropping one '\r' before it. A final line without '\n' counts.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (nl == std::string_view::npos) {
            break;
        }
        text.remove_prefix(nl + 1);
    }
    return lines;
}

EepromImageRead fail(std::string why) {
    return {std::nullopt, std::move(why)};
}

std::string lineNo(std::size_t index) {
    return "line " + std::to_string(index + 1) + ": ";
}

// "key: value" with the expected key; the value may be empty.
std::optional<std::string_view> headerValue(std::string_view line, std::string_view key) {
    if (line.size() < key.size() + 1 || line.substr(0, key.size()) != key ||
        line[key.size()] != ':') {
        return std::nullopt;
    }
    std::string_view value = line.substr(key.size() + 1);
    if (!value.empty() && value.front() == ' ') {
        value.remove_prefix(1);
    }
    return value;
}

// "A0: 16 pairs separated by single spaces" into bytes[address..address+15].
bool parseByteLine(std::string_view line, std::size_t address, EepromBytes& bytes) {
    constexpr std::size_t kLength = 3 + kBytesPerLine * 3;  // "A0:" then " xx" sixteen times
    if (line.size() != kLength || line[2] != ':') {
        return false;
    }
    const auto at = hexPair(line.substr(0, 2));
    if (!at || *at != address) {
        return false;
    }
    for (std::size_t i = 0; i < kBytesPerLine; ++i) {
        const std::size_t pos = 3 + i * 3;
        const auto v = hexPair(line.substr(pos + 1, 2));
        if (line[pos] != ' ' || !v) {
            return false;
        }
        bytes[address + i] = *v;
    }
    return true;
}

}  // namespace

std::uint32_t crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= std::uint8_t(ch);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

std::string printableText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = std::uint8_t(ch);
        out += (b >= 0x20 && b < 0x7F) ? ch : '?';
    }
    return out;
}

std::string localTimeText(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string_view programVersionText() {
    return "veltra-adjust " VELTRA_VERSION;
}

std::string formatEepromImageFile(const EepromImage& image) {
    std::string body(kEepromImageFirstLine);
    body += '\n';
    for (const HeaderKey& k : kHeaderKeys) {
        body += k.key;
        body += ": ";
        body += printableText(image.header.*k.field);
        body += '\n';
    }
    for (std::size_t line = 0; line < kByteLines; ++line) {
        appendHex(body, std::uint8_t(line * kBytesPerLine));
        body += ':';
        for (std::size_t i = 0; i < kBytesPerLine; ++i) {
            body += ' ';
            appendHex(body, image.bytes[line * kBytesPerLine + i]);
        }
        body += '\n';
    }
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08X", unsigned(crc32(body)));
    body += kCrcKey;
    body += ": ";
    body += crc;
    body += '\n';
    return body;
}

EepromImageRead parseEepromImageFile(std::string_view text) {
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty() || lines[0] != kEepromImageFirstLine) {
        if (!lines.empty() &&
            lines[0].substr(0, kEepromImageFirstLine.size() - 1) ==
                kEepromImageFirstLine.substr(0, kEepromImageFirstLine.size() - 1)) {
            return fail("line 1: an EEPROM image of a version this program does not know");
        }
        return fail("line 1: not an EEPROM image (it must read \"" +
                    std::string(kEepromImageFirstLine) + "\")");
    }
    EepromImage image;
    std::string checked(lines[0]);
    checked += '\n';
    std::size_t index = 1;
    for (const HeaderKey& k : kHeaderKeys) {
        if (index >= lines.size()) {
            return fail("the file is cut short before its \"" + std::string(k.key) + "\" line");
        }
        const auto value = headerValue(lines[index], k.key);
        if (!value) {
            return fail(lineNo(index) + "expected the \"" + std::string(k.key) + "\" line");
        }
        image.header.*k.field = std::string(*value);
        checked += lines[index];
        checked += '\n';
        ++index;
    }
    for (std::size_t line = 0; line < kByteLines; ++line, ++index) {
        const std::size_t address = line * kBytesPerLine;
        char name[8];
        std::snprintf(name, sizeof name, "%02X", unsigned(address));
        if (index >= lines.size()) {
            return fail(std::string("the file is cut short before the bytes at ") + name);
        }
        if (!parseByteLine(lines[index], address, image.bytes)) {
            return fail(lineNo(index) + "expected \"" + name + ":\" and sixteen hexadecimal bytes");
        }
        checked += lines[index];
        checked += '\n';
    }
    if (index >= lines.size()) {
        return fail("the file is cut short before its checksum line");
    }
    const auto crcText = headerValue(lines[index], kCrcKey);
    std::uint32_t stored = 0;
    bool crcOk = crcText && crcText->size() == 8;
    for (std::size_t i = 0; crcOk && i < 8; ++i) {
        const int d = hexDigitValue((*crcText)[i], HexCase::Either);
        crcOk = d >= 0;
        stored = stored << 4 | std::uint32_t(d < 0 ? 0 : d);
    }
    if (!crcOk) {
        return fail(lineNo(index) + "expected \"crc32:\" and eight hexadecimal digits");
    }
    ++index;
    // Only empty lines may follow the checksum.
    for (; index < lines.size(); ++index) {
        if (!lines[index].empty()) {
            return fail(lineNo(index) + "text after the checksum line");
        }
    }
    if (crc32(checked) != stored) {
        return fail("the checksum does not match: the file was changed or damaged");
    }
    return {std::move(image), {}};
}

EepromImageRead parseEepromImageOrRaw(std::string_view content) {
    if (content.size() == sizeof(EepromBytes) &&
        content.substr(0, kEepromImageFirstLine.size()) != kEepromImageFirstLine) {
        EepromImage image;
        for (std::size_t i = 0; i < image.bytes.size(); ++i) {
            image.bytes[i] = std::uint8_t(content[i]);
        }
        return {std::move(image), {}};
    }
    return parseEepromImageFile(content);
}

std::optional<std::string> readTextFile(const std::string& path, std::string* why) {
    auto failed = [why](std::string reason) -> std::optional<std::string> {
        if (why) {
            *why = std::move(reason);
        }
        return std::nullopt;
    };
    // The type and size come first: opening a FIFO waits for a writer, and a device never ends.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return failed("it does not exist");
    }
    if (ec) {
        return failed("it cannot be read: " + ec.message());
    }
    if (std::filesystem::is_directory(status)) {
        return failed("it is a folder, not a file");
    }
    if (!std::filesystem::is_regular_file(status)) {
        return failed("it is not a regular file (a device, FIFO or socket)");
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        return failed("it cannot be read: " + ec.message());
    }
    if (size > kMaxTextFileSize) {
        return failed("it is " + std::to_string(size) + " bytes, larger than an image can be");
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return failed(std::string("it cannot be opened: ") + std::strerror(errno));
    }
    // At most one byte more than allowed: a file that grew since is refused, not read on.
    std::string content(std::size_t(kMaxTextFileSize) + 1, '\0');
    const std::size_t n = std::fread(content.data(), 1, content.size(), f);
    const bool error = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (error) {
        return failed(std::string("it cannot be read: ") + std::strerror(err));
    }
    if (n > kMaxTextFileSize) {
        return failed("it is larger than an image can be");
    }
    content.resize(n);
    return content;
}

bool writeTextFile(const std::string& path, std::string_view content, std::string* why) {
    auto failed = [why](std::string reason) {
        if (why) {
            *why = std::move(reason);
        }
        return false;
    };
    const std::filesystem::path target(path);
    std::filesystem::path temp = target;
    temp.replace_filename("." + target.filename().string() + ".new");
    std::FILE* f = std::fopen(temp.string().c_str(), "wb");
    if (!f) {
        return failed(std::string("cannot make ") + temp.string() + ": " + std::strerror(errno));
    }
    bool ok =
        std::fwrite(content.data(), 1, content.size(), f) == content.size() && std::fflush(f) == 0;
    int err = errno;
#ifdef _WIN32
    ok = ok && _commit(_fileno(f)) == 0;
#else
    ok = ok && ::fsync(fileno(f)) == 0;
#endif
    err = ok ? 0 : (err != 0 ? err : errno);
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return failed(std::string("cannot write ") + temp.string() + ": " +
                      std::strerror(err != 0 ? err : errno));
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return failed("cannot replace " + path + ": " + ec.message());
    }
    return true;
}

}  // namespace veltra
