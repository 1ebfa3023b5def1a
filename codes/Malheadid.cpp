#include "codes/Malheadid.h"

#include <string_view>

#include "codes/TypedText.h"
#include "link/HexText.h"

namespace veltra {

namespace {

using namespace std::string_view_literals;

// Check character of each value; index 0 has none.
constexpr std::string_view kCheckAlphabet = "\0ABCDEFGHJKLMNPQRSTUVWXYZ0123456789%*+"sv;
static_assert(kCheckAlphabet.size() == kHeadIdCheckModulus + 1);

// First character of pair n (1-based) in the text: pairs occupy positions 2-11.
constexpr std::size_t kFirstPairIndex = 1;
constexpr std::size_t kTwelfthIndex = 11;
constexpr std::size_t kCheckIndex = 12;

// Distance of a digit character from "0", as an 8-bit value: anything below "0" wraps high.
std::uint8_t DigitOffset(char c) {
    return static_cast<std::uint8_t>(static_cast<unsigned char>(c) - '0');
}

// Pair characters are digits and upper-case letters; any other character is refused.
bool IsPairCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z');
}

// A character of a pair: a digit is its value, a letter its code minus 55 as 8 bits, so
// "A"-"F" give 10-15 and later letters give more.
std::uint8_t PairCharValue(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= '0' && u <= '9') {
        return static_cast<std::uint8_t>(u - '0');
    }
    return static_cast<std::uint8_t>(u - 55);
}

std::uint8_t PairValue(char high, char low) {
    return static_cast<std::uint8_t>(16 * PairCharValue(high) + PairCharValue(low));
}

CodeResult FormatError(Detail detail) {
    return {kHeadIdFormat, detail};
}

}  // namespace

int HeadIdCheckValue(const HeadIdValues& values) {
    int sum = 0;
    for (std::size_t k = 0; k < values.size(); ++k) {
        sum += static_cast<int>(k + 1) * values[k];
    }
    return kHeadIdCheckModulus - sum % kHeadIdCheckModulus;
}

char HeadIdCheckCharacter(int value) {
    if (value < 1 || value > kHeadIdCheckModulus) {
        return '\0';
    }
    return kCheckAlphabet[static_cast<std::size_t>(value)];
}

int HeadIdCheckCharacterValue(char c) {
    if (c == '\0') {
        return 0;
    }
    const auto pos = kCheckAlphabet.find(c, 1);
    return pos == std::string_view::npos ? 0 : static_cast<int>(pos);
}

namespace {

// The format error of a character position: the first digit, a pair, the twelfth digit or the
// check character.
Detail PositionError(std::size_t index) {
    if (index == 0) {
        return headid_error::kFirstDigit;
    }
    if (index < kTwelfthIndex) {
        return static_cast<Detail>(headid_error::kPair1 + (index - kFirstPairIndex) / 2);
    }
    return index == kTwelfthIndex ? headid_error::kTwelfthDigit : headid_error::kCheck;
}

}  // namespace

CodeResult HeadIdParse(std::string_view text, HeadIdValues& values) {
    // The length counts characters as typed; a character of several bytes fits no position.
    if (TypedLength(text) != kHeadIdLength) {
        return FormatError(headid_error::kLength);
    }
    if (const std::size_t wide = FirstWideCharacter(text); wide != std::string_view::npos) {
        return FormatError(PositionError(wide));
    }
    HeadIdValues v{};
    v[0] = DigitOffset(text[0]);
    if (v[0] > kHeadIdFirstDigitMax) {
        return FormatError(headid_error::kFirstDigit);
    }
    for (std::size_t n = 0; n < kHeadIdPairCount; ++n) {
        const std::size_t at = kFirstPairIndex + 2 * n;
        v[n + 1] = PairValue(text[at], text[at + 1]);
        if (!IsPairCharacter(text[at]) || !IsPairCharacter(text[at + 1]) ||
            v[n + 1] > kHeadIdPairMax) {
            return FormatError(static_cast<Detail>(headid_error::kPair1 + n));
        }
    }
    v[6] = DigitOffset(text[kTwelfthIndex]);
    if (v[6] > kHeadIdTwelfthDigitMax) {
        return FormatError(headid_error::kTwelfthDigit);
    }
    const int typedCheck = HeadIdCheckCharacterValue(text[kCheckIndex]);
    if (typedCheck == 0 || typedCheck != HeadIdCheckValue(v)) {
        return FormatError(headid_error::kCheck);
    }
    values = v;
    return {};
}

CodeResult HeadIdFromValues(const HeadIdValues& values, std::array<char, kHeadIdLength + 1>& out) {
    out.fill('\0');
    if (values[0] > kHeadIdFirstDigitMax || values[6] > kHeadIdTwelfthDigitMax) {
        return FormatError(headid_error::kInvalidStored);
    }
    std::array<char, kHeadIdLength + 1> text{};
    text[0] = static_cast<char>('0' + values[0]);
    for (std::size_t n = 0; n < kHeadIdPairCount; ++n) {
        // The read-back shows any stored byte as two hexadecimal digits, without the 0x65 limit.
        const std::uint8_t b = values[n + 1];
        text[kFirstPairIndex + 2 * n] = kHexDigits[b >> 4];
        text[kFirstPairIndex + 2 * n + 1] = kHexDigits[b & 0x0F];
    }
    text[kTwelfthIndex] = static_cast<char>('0' + values[6]);
    text[kCheckIndex] = HeadIdCheckCharacter(HeadIdCheckValue(values));
    out = text;
    return {};
}

CodeResult HeadIdWrite(TPD4Comm& link, std::string_view text) {
    HeadIdValues values{};
    const CodeResult parsed = HeadIdParse(text, values);
    if (!parsed.ok()) {
        return parsed;
    }
    for (std::size_t i = 0; i < kHeadIdValueCount; ++i) {
        const Status s = link.WriteEepromByte(kHeadIdAddresses[i], values[i]);
        if (s != kOk) {
            return {s, kNoError};
        }
    }
    return {};
}

CodeResult HeadIdRead(TPD4Comm& link, std::array<char, kHeadIdLength + 1>& out) {
    out.fill('\0');
    HeadIdValues values{};
    for (std::size_t i = 0; i < kHeadIdValueCount; ++i) {
        const Status s = link.ReadEepromByte(kHeadIdAddresses[i], values[i]);
        if (s != kOk) {
            return {s, kNoError};
        }
    }
    return HeadIdFromValues(values, out);
}

std::string_view HeadIdMessage(Detail detail) {
    static constexpr DetailText kTexts[] = {
        {headid_error::kInvalidStored, "Head ID is invalid."},
        {headid_error::kLength, "The number of digit is wrong."},
        {headid_error::kFirstDigit, "First digit is wrong."},
        {headid_error::kPair1, "Second & Third digit is wrong."},
        {headid_error::kPair1 + 1, "Fourth & Fifth digit is wrong."},
        {headid_error::kPair1 + 2, "Sixth & Seventh digit is wrong."},
        {headid_error::kPair1 + 3, "Eighth & Ninth digit is wrong."},
        {headid_error::kPair5, "Tenth & Eleventh digit is wrong."},
        {headid_error::kTwelfthDigit, "Twelveth digit is wrong."},
        {headid_error::kCheck, "Check ID is invalid."},
    };
    return TextOf(kTexts, detail);
}

}  // namespace veltra
