#include "link/Maleeprom.h"

#include <array>

#include "link/EepromAddresses.h"

namespace veltra {

namespace {

struct EepromSetting {
    std::uint8_t address;
    std::uint8_t value;
};

// Factory settings of a new main board, written in this order; the model setting at 0xB0 goes
// between the last two.
constexpr std::array<EepromSetting, 3> kBeforeModel{{{eeprom_address::kFactorySetting51, 0x08},
                                                     {eeprom_address::kFactorySetting52, 0x02},
                                                     {eeprom_address::kFactorySetting65, 0x01}}};
constexpr EepromSetting kAfterModel{eeprom_address::kFactorySettingE1, 0x00};

}  // namespace

Status TPEeprom::InitializeEeprom() {
    for (const auto& s : kBeforeModel) {
        VELTRA_TRY(link_.WriteEepromByte(s.address, s.value));
    }
    // Only a known model number has a model setting; any other writes nothing there.
    for (const auto& m : kModels) {
        if (m.number == choice_.ModelNo) {
            VELTRA_TRY(link_.WriteEepromByte(eeprom_address::kModelSetting, m.eepromInitB0));
        }
    }
    return link_.WriteEepromByte(kAfterModel.address, kAfterModel.value);
}

}  // namespace veltra
