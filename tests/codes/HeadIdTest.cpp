#include <gtest/gtest.h>

#include <string>

#include "codes/Malheadid.h"

namespace veltra {
namespace {

struct CheckCharCase {
    int value;
    char character;
};

TEST(HeadIdCheckCharacter, AlphabetSkipsIAndO) {
    const CheckCharCase cases[] = {{1, 'A'},  {8, 'H'},  {9, 'J'},  {13, 'N'}, {14, 'P'}, {24, 'Z'},
                                   {25, '0'}, {34, '9'}, {35, '%'}, {36, '*'}, {37, '+'}};
    for (const auto& c : cases) {
        EXPECT_EQ(HeadIdCheckCharacter(c.value), c.character) << c.value;
        EXPECT_EQ(HeadIdCheckCharacterValue(c.character), c.value) << c.character;
    }
    for (int v = 1; v <= 37; ++v) {
        EXPECT_EQ(HeadIdCheckCharacterValue(HeadIdCheckCharacter(v)), v);
    }
    for (char c : {'I', 'O', 'j', 'a', '-', ' ', '\0', static_cast<char>(0xC1)}) {
        EXPECT_EQ(HeadIdCheckCharacterValue(c), 0) << int(c);
    }
    EXPECT_EQ(HeadIdCheckCharacter(0), '\0');
    EXPECT_EQ(HeadIdCheckCharacter(38), '\0');
}

struct CheckValueCase {
    HeadIdValues values;
    int check;
};

TEST(HeadIdCheckValue, WeightedSumModulo37) {
    const CheckValueCase cases[] = {
        {{0, 0, 0, 0, 0, 0, 0}, 37},                     // sum 0 gives 37, never 0
        {{1, 1, 1, 1, 1, 1, 1}, 9},                      // sum 28
        {{3, 0x65, 0x65, 0x65, 0x65, 0x65, 2}, 35},      // sum 2037
        {{0, 0, 0, 0, 0, 0, 1}, 30},                     // weight 7 on the twelfth digit
        {{37, 0, 0, 0, 0, 0, 0}, 37},                    // a multiple of 37
        {{3, 0xFF, 0x66, 0x00, 0xAB, 0x10, 2}, 29},      // stored bytes above the limit
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 1}  // 7140 % 37 = 36: the smallest value
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HeadIdCheckValue(c.values), c.check);
    }
}

struct ParseCase {
    std::string text;
    Detail detail;  // kNoError for a valid code
    HeadIdValues values;
};

TEST(HeadIdParse, ChecksInPositionOrder) {
    const ParseCase cases[] = {
        {"000000000000+", kNoError, {0, 0, 0, 0, 0, 0, 0}},
        {"101010101011J", kNoError, {1, 1, 1, 1, 1, 1, 1}},
        {"365656565652%", kNoError, {3, 0x65, 0x65, 0x65, 0x65, 0x65, 2}},
        {"2102030405000", kNoError, {2, 0x10, 0x20, 0x30, 0x40, 0x50, 0}},
        // "G" as the high character: 16 * 16 wraps to 0.
        {"0G0000000000+", kNoError, {0, 0, 0, 0, 0, 0, 0}},
        // "G" as the low character counts 16.
        {"00G000000000E", kNoError, {0, 0x10, 0, 0, 0, 0, 0}},
        {"", headid_error::kLength, {}},
        {"00000000000+", headid_error::kLength, {}},
        {"000000000000+0", headid_error::kLength, {}},
        {"400000000000+", headid_error::kFirstDigit, {}},
        {"/00000000000+", headid_error::kFirstDigit, {}},  // below "0" wraps high
        {"A00000000000+", headid_error::kFirstDigit, {}},
        {"066000000000+", headid_error::kPair1, {}},  // one above 0x65
        {"070000000000+", headid_error::kPair1, {}},
        {"0 00000000000", headid_error::kPair1, {}},  // space: (32 - 55) as 8 bits
        // Only digits and upper-case letters make a pair, even where the value would pass.
        {"1(0000000000D", headid_error::kPair1, {}},
        {"000a00000000+", headid_error::kPair1 + 1, {}},
        {"00000000*000+", headid_error::kPair1 + 3, {}},
        {"0000000000[0+", headid_error::kPair5, {}},  // one above "Z"
        {"0000000000@0+", headid_error::kPair5, {}},  // one below "A"
        // Characters, not bytes: a two-byte character fails its position, not the length.
        {"0\xC3\xA9"
         "000000000+",
         headid_error::kLength,
         {}},  // 12 characters in 13 bytes
        {"0\xC3\xA9"
         "0000000000+",
         headid_error::kPair1,
         {}},
        {"\xC3\xA9"
         "00000000000+",
         headid_error::kFirstDigit,
         {}},
        {"000660000000+", headid_error::kPair1 + 1, {}},
        {"000006600000+", headid_error::kPair1 + 2, {}},
        {"000000066000+", headid_error::kPair1 + 3, {}},
        {"000000000660+", headid_error::kPair5, {}},
        {"000000000003+", headid_error::kTwelfthDigit, {}},
        {"00000000000I+", headid_error::kTwelfthDigit, {}},  // before the check character
        {"000000000000A", headid_error::kCheck, {}},
        {"000000000000I", headid_error::kCheck, {}},  // not in the alphabet
        {"101010101011j", headid_error::kCheck, {}},  // lower case is not a check character
        {"000000000000", headid_error::kLength, {}},
        // The first failing position wins.
        {"466000000000A", headid_error::kFirstDigit, {}},
        {"066660000003A", headid_error::kPair1, {}},
        {"000000000663A", headid_error::kPair5, {}},
    };
    for (const auto& c : cases) {
        HeadIdValues values{9, 9, 9, 9, 9, 9, 9};
        const CodeResult r = HeadIdParse(c.text, values);
        if (c.detail == kNoError) {
            EXPECT_EQ(r, CodeResult{}) << c.text;
            EXPECT_EQ(values, c.values) << c.text;
        } else {
            EXPECT_EQ(r.status, kHeadIdFormat) << c.text;
            EXPECT_EQ(r.detail, c.detail) << c.text;
            EXPECT_EQ(values, (HeadIdValues{9, 9, 9, 9, 9, 9, 9})) << c.text;
        }
    }
}

TEST(HeadIdParse, NonAsciiBytesFailWithoutCrashing) {
    std::string text = "000000000000+";
    HeadIdValues values{};
    text[0] = static_cast<char>(0xB0);
    EXPECT_EQ(HeadIdParse(text, values).detail, headid_error::kFirstDigit);
    text = "000000000000+";
    text[11] = static_cast<char>(0xFF);
    EXPECT_EQ(HeadIdParse(text, values).detail, headid_error::kTwelfthDigit);
    text = "000000000000+";
    text[12] = static_cast<char>(0xAB);
    EXPECT_EQ(HeadIdParse(text, values).detail, headid_error::kCheck);
}

struct RebuildCase {
    HeadIdValues values;
    std::string text;  // "" when the stored values are invalid
};

TEST(HeadIdFromValues, RebuildsTextOrRejectsStoredDigits) {
    const RebuildCase cases[] = {
        {{0, 0, 0, 0, 0, 0, 0}, "000000000000+"},
        {{1, 1, 1, 1, 1, 1, 1}, "101010101011J"},
        {{3, 0x65, 0x65, 0x65, 0x65, 0x65, 2}, "365656565652%"},
        // The read-back shows any byte in hexadecimal, beyond the 0x65 limit too.
        {{3, 0xFF, 0x66, 0x00, 0xAB, 0x10, 2}, "3FF6600AB1024"},
        {{4, 0, 0, 0, 0, 0, 0}, ""},
        {{0xFF, 0, 0, 0, 0, 0, 0}, ""},
        {{0, 0, 0, 0, 0, 0, 3}, ""},
        {{3, 0, 0, 0, 0, 0, 0x80}, ""},
    };
    for (const auto& c : cases) {
        std::array<char, 14> out;
        out.fill('x');
        const CodeResult r = HeadIdFromValues(c.values, out);
        if (c.text.empty()) {
            EXPECT_EQ(r, (CodeResult{kHeadIdFormat, headid_error::kInvalidStored}));
            EXPECT_EQ(out, (std::array<char, 14>{}));
        } else {
            EXPECT_EQ(r, CodeResult{});
            EXPECT_EQ(std::string(out.data()), c.text);
            EXPECT_EQ(out[13], '\0');
        }
    }
}

TEST(HeadIdFromValues, ParsedCodeComesBackUpperHex) {
    for (const std::string text : {"101010101011J", "2102030405000", "0G0000000000+"}) {
        HeadIdValues values{};
        ASSERT_TRUE(HeadIdParse(text, values).ok()) << text;
        std::array<char, 14> out{};
        ASSERT_TRUE(HeadIdFromValues(values, out).ok());
        const std::string expected = text == "0G0000000000+" ? "000000000000+" : text;
        EXPECT_EQ(std::string(out.data()), expected);
    }
}

struct MessageCase {
    Detail detail;
    std::string_view text;
};

TEST(HeadIdMessage, TextOfEachDetailCode) {
    const MessageCase cases[] = {
        {0x1000, "Head ID is invalid."},
        {0x1001, "The number of digit is wrong."},
        {0x1002, "First digit is wrong."},
        {0x1003, "Second & Third digit is wrong."},
        {0x1004, "Fourth & Fifth digit is wrong."},
        {0x1005, "Sixth & Seventh digit is wrong."},
        {0x1006, "Eighth & Ninth digit is wrong."},
        {0x1007, "Tenth & Eleventh digit is wrong."},
        {0x1009, "Twelveth digit is wrong."},
        {0x1013, "Check ID is invalid."},
        {0x1008, ""},
        {0x1012, ""},
        {kNoError, ""},
        {0x3001, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HeadIdMessage(c.detail), c.text) << std::hex << c.detail;
    }
}

}  // namespace
}  // namespace veltra
