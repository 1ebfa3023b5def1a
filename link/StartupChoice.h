#pragma once
// The model and interface chosen at start-up, kept for the whole run. The start-up window (or
// the command line) writes it; the port, the EEPROM initialization and the report read it.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace veltra {

struct ModelInfo {
    std::string_view name;      // "Veltra K55"
    std::uint8_t number;        // ModelNo: 1 or 2
    std::uint8_t code[2];       // model code carried by EEPROM and factory commands
    std::uint8_t eepromInitB0;  // value written at 0xB0 by the EEPROM initialization
};

inline constexpr std::array<ModelInfo, 2> kModels{{
    {"Veltra K55", 1, {0x3A, 0x91}, 0x94},
    {"Veltra K45", 2, {0x3B, 0xA5}, 0x95},
}};
inline constexpr std::uint8_t kNoModel = 255;

struct PortInfo {
    std::string_view name;        // "LPT1" ... "ZTUSB3"
    std::uint16_t interfaceCode;  // 0x401 ... 0x503
};

inline constexpr std::array<PortInfo, 6> kPorts{{
    {"LPT1", 0x401},
    {"LPT2", 0x402},
    {"LPT3", 0x403},
    {"ZTUSB1", 0x501},
    {"ZTUSB2", 0x502},
    {"ZTUSB3", 0x503},
}};
inline constexpr std::uint16_t kParallelKind = 0x400;
inline constexpr std::uint16_t kUsbKind = 0x500;

struct StartupChoice {
    std::uint8_t ModelNo = kNoModel;  // 1, 2, or 255 for none
    int modelIndex = -1;              // combo index of the model, -1 for none
    std::uint16_t PortKind = 0;       // 0x400 parallel, 0x500 USB

    const ModelInfo* model() const {
        return (modelIndex >= 0 && modelIndex < int(kModels.size())) ? &kModels[modelIndex]
                                                                     : nullptr;
    }
};

// Look-ups by name ("Veltra K55"/"K55", "LPT1"...); nullopt when unknown.
std::optional<int> modelIndexByName(std::string_view name);
std::optional<int> portIndexByName(std::string_view name);

}  // namespace veltra
