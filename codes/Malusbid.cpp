#include "codes/Malusbid.h"

#include <algorithm>

#include "codes/TypedText.h"

namespace veltra {

namespace {

constexpr int kFirstYear = 1999;  // "9"
constexpr int kDigitYearsFrom = 2000;
constexpr int kLetterYearsFrom = 2009;  // "A"
constexpr int kLastYear = 2034;         // "Z"
constexpr int kHalfMinute = 30;
constexpr char kHalfMinuteFlag = 2;
constexpr char kHalfSecondFlag = 1;

// 0-9 as "0"-"9", 10 and on as "A" and on; the callers keep v within 0-35.
char Base36Char(int v) {
    return v < 10 ? static_cast<char>('0' + v) : static_cast<char>('A' + (v - 10));
}

char YearChar(int year) {
    year = std::clamp(year, kFirstYear, kLastYear);
    if (year < kDigitYearsFrom) {
        return '9';
    }
    if (year < kLetterYearsFrom) {
        return static_cast<char>('0' + (year - kDigitYearsFrom));
    }
    return static_cast<char>('A' + (year - kLetterYearsFrom));
}

CodeResult WriteCharacters(TPD4Comm& link, std::uint8_t address, std::string_view chars) {
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const Status s = link.WriteEepromByte(static_cast<std::uint8_t>(address + i),
                                              static_cast<std::uint8_t>(chars[i]));
        if (s != kOk) {
            return {s, kNoError};
        }
    }
    return {};
}

}  // namespace

bool IsUsbIdWriteCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z');
}

bool IsUsbIdReadCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return IsUsbIdWriteCharacter(c) || (u >= 'a' && u <= 'z');
}

CodeResult UsbIdCheck(std::string_view text, std::size_t length) {
    // Characters, not bytes: a typed "é" is one wrong character, not two extra digits.
    if (TypedLength(text) != length) {
        return {kUsbIdFormat, usbid_error::kLength};
    }
    if (!std::all_of(text.begin(), text.end(), IsUsbIdWriteCharacter)) {
        return {kUsbIdFormat, usbid_error::kCharacter};
    }
    return {};
}

std::array<char, kDateTimeCodeLength> DateTimeCode(const LocalTime& t) {
    const int month = std::clamp(t.month, 1, 12);
    const int day = std::clamp(t.day, 1, 31);
    const int hour = std::clamp(t.hour, 0, 23);
    const int minute = std::clamp(t.minute, 0, 59);
    const int second = std::clamp(t.second, 0, 59);
    char halves = 0;
    if (minute >= kHalfMinute) {
        halves = static_cast<char>(halves + kHalfMinuteFlag);
    }
    if (second >= kHalfMinute) {
        halves = static_cast<char>(halves + kHalfSecondFlag);
    }
    return {YearChar(t.year),
            Base36Char(month),
            Base36Char(day),
            Base36Char(hour),
            Base36Char(minute % kHalfMinute),
            Base36Char(second % kHalfMinute),
            static_cast<char>('0' + halves),
            '0'};
}

CodeResult UsbIdWrite(TPD4Comm& link, std::string_view text) {
    const CodeResult checked = UsbIdCheck(text, kUsbIdLength);
    if (!checked.ok()) {
        return checked;
    }
    return WriteCharacters(link, eeprom_address::kUsbId, text);
}

CodeResult SerialNumberWrite(TPD4Comm& link, const Clock& clock, std::string_view serial,
                             std::array<char, kDateTimeCodeLength + 1>& code) {
    code.fill('\0');
    const CodeResult checked = UsbIdCheck(serial, kSerialNumberLength);
    if (!checked.ok()) {
        return checked;
    }
    CodeResult r = WriteCharacters(link, eeprom_address::kUsbId, serial);
    if (!r.ok()) {
        return r;
    }
    const auto dateCode = DateTimeCode(clock.localTime());
    r = WriteCharacters(link, eeprom_address::kUsbIdDateTimeCode,
                        std::string_view(dateCode.data(), dateCode.size()));
    if (!r.ok()) {
        return r;
    }
    std::copy(dateCode.begin(), dateCode.end(), code.begin());
    return {};
}

CodeResult UsbIdRead(TPD4Comm& link, std::array<char, kUsbIdLength + 1>& out) {
    // Zero-filled first so that the buffer is a terminated text whatever happens below.
    out.fill('\0');
    for (std::size_t i = 0; i < kUsbIdLength; ++i) {
        std::uint8_t b = 0;
        const Status s =
            link.ReadEepromByte(static_cast<std::uint8_t>(eeprom_address::kUsbId + i), b);
        if (s != kOk) {
            return {s, kNoError};
        }
        const auto c = static_cast<char>(b);
        if (!IsUsbIdReadCharacter(c)) {
            return {kUsbIdFormat, usbid_error::kInvalidStored};
        }
        out[i] = c;
    }
    return {};
}

std::string_view UsbIdMessage(Detail detail) {
    static constexpr DetailText kTexts[] = {
        {usbid_error::kLength, "The Number of digit is wrong."},
        {usbid_error::kCharacter, "Parameter is only number & alphabet."},
        {usbid_error::kInvalidStored, "USB ID is invalid"},
    };
    return TextOf(kTexts, detail);
}

}  // namespace veltra
