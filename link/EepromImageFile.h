#pragma once
// The EEPROM image file: a text file of our own that holds all 256 bytes of a printer's EEPROM
// with what identifies the printer, readable in a terminal and diffable. Layout
// (docs/EEPROM_IMAGE.md):
//
//   veltra-adjust EEPROM image 1
//   model: Veltra K55
//   device-id: MFG:...;MDL:Veltra K55;...
//   usb-id: K55S01234527F95700
//   head-id: 1234512345...
//   saved: 2026-12-08 06:40:12
//   program: veltra-adjust 1.8
//   00: 00 00 12 34 00 00 00 00 00 00 00 00 00 00 00 00
//   ... sixteen lines, addresses 00 to F0 ...
//   crc32: 1C291CA3
//
// The CRC-32 (the common polynomial 0xEDB88320, as zip and PNG use) runs over every line before
// it, each ended by one '\n', so a file whose line ends were turned into "\r\n" still checks.
// Reading and writing are pure functions over text, so they can be fuzzed and used by every
// front end and the virtual printer alike.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/Clock.h"

namespace veltra {

using EepromBytes = std::array<std::uint8_t, 256>;

inline constexpr std::string_view kEepromImageFirstLine = "veltra-adjust EEPROM image 1";

struct EepromImageHeader {
    std::string model;     // the model chosen when saved, "Veltra K55" or "Veltra K45"
    std::string deviceId;  // the printer's IEEE 1284 device ID
    std::string usbId;     // the 18 characters at 0xC2-0xD3 (see printableText)
    std::string headId;    // the 13-character head ID, or "" when the stored one is invalid
    std::string saved;     // local time of the save, "YYYY-MM-DD hh:mm:ss"
    std::string program;   // "veltra-adjust 1.8"
};

struct EepromImage {
    EepromImageHeader header;
    EepromBytes bytes{};
};

// The result of reading an image: the image, or one line saying why the text is not one.
struct EepromImageRead {
    std::optional<EepromImage> image;
    std::string error;
    bool ok() const { return image.has_value(); }
};

// Reads the text format. Refuses a wrong first line, a missing or misplaced header or byte line,
// a byte line that is not its address and sixteen hexadecimal pairs, a cut-short file, anything
// after the checksum line, and a checksum that does not match.
EepromImageRead parseEepromImageFile(std::string_view text);

// The text format of an image. Header values are written through printableText, so every
// header stays one line.
std::string formatEepromImageFile(const EepromImage& image);

// The virtual printer's loader: the text format, or (for older files) exactly 256 raw bytes.
EepromImageRead parseEepromImageOrRaw(std::string_view content);

// Bytes as text for a header or a journal: printable ASCII as it is, every other byte as '?'.
std::string printableText(std::string_view bytes);

// CRC-32 of the bytes (0xEDB88320 reflected polynomial, initial and final XOR 0xFFFFFFFF).
std::uint32_t crc32(std::string_view bytes);

// "YYYY-MM-DD hh:mm:ss".
std::string localTimeText(const LocalTime& t);

// The program's name and version, "veltra-adjust 1.8".
std::string_view programVersionText();

// The largest file readTextFile takes: far more than an image with long header lines can be,
// so a device or a stray large file is refused before it is read.
inline constexpr std::uintmax_t kMaxTextFileSize = std::uintmax_t{64} * 1024;

// Whole-file helpers over the functions above. readTextFile reads a regular file of at most
// kMaxTextFileSize bytes; anything else (a directory, a FIFO, a device, a larger file) gives
// nullopt without being opened, with why saying so (and the system's reason when a call
// failed). writeTextFile writes a temporary file in the same folder, forces it to the disk and
// renames it over path, so a cut write leaves the old file whole; false, with why, when it could
// not.
std::optional<std::string> readTextFile(const std::string& path, std::string* why = nullptr);
bool writeTextFile(const std::string& path, std::string_view content, std::string* why = nullptr);

}  // namespace veltra
