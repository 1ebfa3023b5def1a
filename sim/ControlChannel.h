#pragma once
// The control channel (socket 2): one request payload in, one reply payload out. Requests are
// "st" (status), "||" (EEPROM byte read and write, carrying the model code) and "rs".
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/EepromImage.h"

namespace veltra::sim {

namespace control {
// Requests: two letters, 16-bit little-endian length of what follows, then the parameters.
inline constexpr std::size_t kRequestHeader = 4;
inline constexpr std::uint8_t kEepromRead[3] = {0x41, 0xBE, 0xA0};   // "A", ~"A", "A" rotated
inline constexpr std::uint8_t kEepromWrite[3] = {0x42, 0xBD, 0x21};  // "B", ~"B", "B" rotated
inline constexpr std::size_t kEepromReadLength = 6;   // model code, command bytes, address
inline constexpr std::size_t kEepromWriteLength = 7;  // ... and the value

// Reply letters at payload position 6.
inline constexpr char kAccepted = 'O';
inline constexpr char kBusy = 'B';
inline constexpr char kRefused = 'N';
inline constexpr std::size_t kLetterPosition = 6;

// Status text: "@BDC ST\r\nST:04;" then "ER:06;" in an error state, then "IQ:" with seven ink
// values, two upper-case hex digits each, and ";\r\n".
std::string statusText(std::uint8_t state, std::optional<std::uint8_t> error,
                       const std::array<std::uint8_t, 7>& inks);
// A status reply that carries neither "ST:" nor "IQ:".
std::string malformedStatusText();
// EEPROM read reply: "@BDC PS\r\nEE:" address value ";\r\n", the value at positions 14-15.
std::string eepromReadText(std::uint8_t address, std::uint8_t value);
// Reply carrying a letter at position 6: "@BDC R" letter "\r\n".
std::string letterText(char letter);
}  // namespace control

// What the printer is doing when a request comes; the channel reads it, never changes it.
struct PrinterStatus {
    std::uint8_t state = 0x04;
    std::optional<std::uint8_t> error;
    std::array<std::uint8_t, 7> inks{};
    bool malformed = false;
    std::optional<char> eepromWriteLetter;  // 'B' or 'N' instead of a write
};

class ControlChannel {
public:
    ControlChannel(Eeprom& eeprom, std::array<std::uint8_t, 2> modelCode)
        : eeprom_(eeprom), modelCode_(modelCode) {}

    // The reply payload to one request.
    std::vector<std::uint8_t> handle(const std::uint8_t* request, std::size_t n,
                                     const PrinterStatus& status);

private:
    std::string eepromRequest(const std::uint8_t* request, std::size_t n,
                              const PrinterStatus& status);

    Eeprom& eeprom_;
    std::array<std::uint8_t, 2> modelCode_;
};

}  // namespace veltra::sim
