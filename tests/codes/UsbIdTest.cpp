#include <gtest/gtest.h>

#include <string>

#include "codes/Malusbid.h"

namespace veltra {
namespace {

std::string CodeText(const LocalTime& t) {
    const auto code = DateTimeCode(t);
    return std::string(code.begin(), code.end());
}

struct DateCase {
    LocalTime time;
    const char* code;
};

TEST(DateTimeCode, WorkedExamplesAndBoundaries) {
    const DateCase cases[] = {
        {{2002, 7, 15, 9, 5, 7}, "27F95700"},
        {{2002, 12, 31, 23, 59, 59}, "2CVNTT30"},
        {{1999, 1, 1, 0, 0, 0}, "91100000"},
        {{2008, 10, 9, 10, 30, 29}, "8A9A0T20"},
        {{2009, 1, 1, 0, 0, 0}, "A1100000"},
        {{2000, 1, 1, 0, 0, 0}, "01100000"},
        {{2008, 12, 31, 23, 59, 59}, "8CVNTT30"},
        {{2033, 6, 10, 12, 0, 0}, "Y6AC0000"},
        {{2034, 11, 30, 22, 0, 0}, "ZBUM0000"},
        // Minute and second on each side of 30.
        {{2010, 1, 1, 0, 29, 0}, "B110T000"},
        {{2010, 1, 1, 0, 30, 0}, "B1100020"},
        {{2010, 1, 1, 0, 0, 29}, "B1100T00"},
        {{2010, 1, 1, 0, 0, 30}, "B1100010"},
        {{2010, 1, 1, 0, 30, 30}, "B1100030"},
        {{2010, 1, 1, 0, 10, 40}, "B110AA10"},
        // Years without a character of their own take the nearest one.
        {{1998, 1, 1, 0, 0, 0}, "91100000"},
        {{1970, 1, 1, 0, 0, 0}, "91100000"},
        {{2035, 1, 1, 0, 0, 0}, "Z1100000"},
        {{2100, 1, 1, 0, 0, 0}, "Z1100000"},
        // Fields outside the calendar are held to their range.
        {{2002, 0, 0, -1, -1, -1}, "21100000"},
        {{2002, 13, 32, 24, 60, 60}, "2CVNTT30"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodeText(c.time), c.code)
            << c.time.year << '-' << c.time.month << '-' << c.time.day << ' ' << c.time.hour << ':'
            << c.time.minute << ':' << c.time.second;
    }
}

TEST(DateTimeCode, EveryTimeOfOneYearGivesLettersAndDigits) {
    for (int year : {1990, 1999, 2008, 2009, 2034, 2040}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 31; ++day) {
                for (int hour = 0; hour < 24; hour += 23) {
                    const auto code = DateTimeCode({year, month, day, hour, 59, 59});
                    for (char ch : code) {
                        ASSERT_TRUE(IsUsbIdWriteCharacter(ch))
                            << year << ' ' << month << ' ' << day;
                    }
                }
            }
        }
    }
}

struct CheckCase {
    std::string text;
    std::size_t length;
    Detail detail;  // kNoError for a valid text
};

TEST(UsbIdCheck, LengthThenCharacters) {
    const CheckCase cases[] = {
        {"ABCDEFGHIJ0123456Z", kUsbIdLength, kNoError},
        {"0123456789", kSerialNumberLength, kNoError},
        {"ABCDEFGHIJ0123456", kUsbIdLength, usbid_error::kLength},
        {"ABCDEFGHIJ0123456ZZ", kUsbIdLength, usbid_error::kLength},
        {"012345678", kSerialNumberLength, usbid_error::kLength},
        {"01234567890", kSerialNumberLength, usbid_error::kLength},
        {"", kSerialNumberLength, usbid_error::kLength},
        {"ab", kSerialNumberLength, usbid_error::kLength},  // length is checked first
        // Characters, not UTF-8 bytes: ten typed characters with a non-ASCII one are a
        // character error.
        {"AB1234567\xC3\xA9", kSerialNumberLength, usbid_error::kCharacter},
        {"AB12345\xE2\x82\xAC", kSerialNumberLength, usbid_error::kLength},  // 8 in 10 bytes
        {"01234-6789", kSerialNumberLength, usbid_error::kCharacter},
        {"01234 6789", kSerialNumberLength, usbid_error::kCharacter},
        {"0123456789abcdefgh", kUsbIdLength, usbid_error::kCharacter},  // upper case only
        {"012345678@", kSerialNumberLength, usbid_error::kCharacter},   // one below "A"
        {"012345678[", kSerialNumberLength, usbid_error::kCharacter},   // one above "Z"
        {"/123456789", kSerialNumberLength, usbid_error::kCharacter},   // one below "0"
        {":123456789", kSerialNumberLength, usbid_error::kCharacter},   // one above "9"
        {std::string("0123456789ABCDEFG\x80", 18), kUsbIdLength, usbid_error::kCharacter},
        {std::string("\xFF"
                     "123456789",
                     10),
         kSerialNumberLength, usbid_error::kCharacter},
        {std::string("0123\0"
                     "56789",
                     10),
         kSerialNumberLength, usbid_error::kCharacter},
    };
    for (const auto& c : cases) {
        const CodeResult r = UsbIdCheck(c.text, c.length);
        if (c.detail == kNoError) {
            EXPECT_EQ(r, CodeResult{}) << c.text;
        } else {
            EXPECT_EQ(r, (CodeResult{kUsbIdFormat, c.detail})) << c.text;
        }
    }
}

TEST(UsbIdCharacters, ReadAcceptsLowerCaseWriteDoesNot) {
    EXPECT_TRUE(IsUsbIdReadCharacter('a'));
    EXPECT_TRUE(IsUsbIdReadCharacter('z'));
    EXPECT_FALSE(IsUsbIdWriteCharacter('a'));
    for (char c : {'`', '{', '@', '[', '/', ':', ' ', '\0', static_cast<char>(0x80),
                   static_cast<char>(0xC1), static_cast<char>(0xE1)}) {
        EXPECT_FALSE(IsUsbIdReadCharacter(c)) << int(c);
        EXPECT_FALSE(IsUsbIdWriteCharacter(c)) << int(c);
    }
}

TEST(UsbIdMessage, TextOfEachDetailCode) {
    EXPECT_EQ(UsbIdMessage(0x3001), "The Number of digit is wrong.");
    EXPECT_EQ(UsbIdMessage(0x3002), "Parameter is only number & alphabet.");
    EXPECT_EQ(UsbIdMessage(0x3011), "USB ID is invalid");
    for (Detail d : {Detail(0x3000), Detail(0x3003), Detail(0x1001), kNoError}) {
        EXPECT_EQ(UsbIdMessage(d), "") << d;
    }
}

}  // namespace
}  // namespace veltra
