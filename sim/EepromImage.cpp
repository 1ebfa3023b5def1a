#include "sim/EepromImage.h"

#include <string_view>

#include "link/HexText.h"

namespace veltra::sim {

namespace {

struct FactoryIdentity {
    std::array<std::uint8_t, 7> headId;  // first digit, five pairs, last digit
    std::string_view usbId;              // serial number and date-and-time code
    std::uint8_t modelSetting;           // 0xB0
};

// Two printers from the line, one of each model.
constexpr FactoryIdentity kIdentity[2] = {
    {{1, 0x23, 0x45, 0x12, 0x34, 0x56, 1}, "K55S01234527F95700", 0x94},
    {{2, 0x31, 0x07, 0x64, 0x20, 0x11, 0}, "K45S0456782CVNTT30", 0x95},
};

// Adjustment values as the line leaves them: Bi-D (ECO, VSD1, VSD2, VSD3; black then colour).
constexpr std::uint8_t kBid[8] = {1, 2, 0, 3, 2, 1, 3, 0};

}  // namespace

Eeprom defaultEepromImage(int modelIndex) {
    namespace a = eeprom_addr;
    const FactoryIdentity& id = kIdentity[modelIndex == 1 ? 1 : 0];
    Eeprom e{};
    writeBe16(e, a::kProtectionCounter, 0x1234);
    writeBe32(e, a::kPageCounter, 1234);
    writeBe32(e, a::kPassCounter, 56789);
    e[a::kFactory51] = 0x08;
    e[a::kFactory52] = 0x02;
    e[a::kTopMargin] = 0x2A;
    e[a::kFactory65] = 0x01;
    for (std::size_t i = 0; i < 8; ++i) {
        e[a::kBidEco + i] = kBid[i];
    }
    e[a::kCrDispersion] = 0x19;
    e[a::kPf] = 0x00;
    writeBe16(e, a::kCrReading, 1000);
    e[a::kHeadIdFirst] = id.headId[0];
    for (std::size_t i = 0; i < 5; ++i) {
        e[a::kHeadIdPairs + i] = id.headId[i + 1];
    }
    e[a::kHeadIdLast] = id.headId[6];
    e[a::kModelSetting] = id.modelSetting;
    for (std::size_t i = 0; i < a::kUsbIdLength; ++i) {
        e[a::kUsbId + i] = static_cast<std::uint8_t>(id.usbId[i]);
    }
    e[a::kFactoryE1] = 0x00;
    return e;
}

EepromImageRead loadEepromImage(const std::string& path) {
    std::string why;
    const std::optional<std::string> content = readTextFile(path, &why);
    if (!content) {
        return {std::nullopt, why};
    }
    return parseEepromImageOrRaw(*content);
}

bool saveEepromImage(const EepromImage& image, const std::string& path) {
    return writeTextFile(path, formatEepromImageFile(image));
}

int headIdCheckValue(const std::array<std::uint8_t, 7>& v) {
    int sum = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        sum += int(i + 1) * v[i];
    }
    return 37 - sum % 37;
}

char headIdCheckChar(int value) {
    if (value >= 1 && value <= 8) {
        return static_cast<char>('A' + value - 1);
    }
    if (value >= 9 && value <= 13) {
        return static_cast<char>('J' + value - 9);  // no "I"
    }
    if (value >= 14 && value <= 24) {
        return static_cast<char>('P' + value - 14);  // no "O"
    }
    if (value >= 25 && value <= 34) {
        return static_cast<char>('0' + value - 25);
    }
    switch (value) {
        case 35:
            return '%';
        case 36:
            return '*';
        case 37:
            return '+';
        default:
            return 0;
    }
}

std::optional<std::string> headIdText(const Eeprom& image) {
    namespace a = eeprom_addr;
    std::array<std::uint8_t, 7> v{};
    v[0] = image[a::kHeadIdFirst];
    for (std::size_t i = 0; i < 5; ++i) {
        v[i + 1] = image[a::kHeadIdPairs + i];
    }
    v[6] = image[a::kHeadIdLast];
    if (v[0] > 3 || v[6] > 2) {
        return std::nullopt;
    }
    std::string text(1, static_cast<char>('0' + v[0]));
    for (std::size_t i = 1; i <= 5; ++i) {
        appendHexByte(text, v[i]);
    }
    text += static_cast<char>('0' + v[6]);
    text += headIdCheckChar(headIdCheckValue(v));
    return text;
}

std::string usbIdText(const Eeprom& image) {
    const auto* first = image.data() + eeprom_addr::kUsbId;
    return std::string(first, first + eeprom_addr::kUsbIdLength);
}

std::uint16_t readBe16(const Eeprom& image, std::uint8_t address) {
    return static_cast<std::uint16_t>((image[address] << 8) | image[(address + 1) & 0xFF]);
}

void writeBe16(Eeprom& image, std::uint8_t address, std::uint16_t value) {
    image[address] = static_cast<std::uint8_t>(value >> 8);
    image[(address + 1) & 0xFF] = static_cast<std::uint8_t>(value & 0xFF);
}

void writeBe32(Eeprom& image, std::uint8_t address, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image[(address + i) & 0xFF] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

}  // namespace veltra::sim
