#include "link/Malbid.h"

#include "link/DecimalText.h"
#include "link/EepromAddresses.h"

namespace veltra {

namespace {

struct BidKind {
    int kind;              // the window's kind number
    std::uint8_t code;     // kind code of the factory command
    std::uint8_t address;  // black value; colour is the next byte
    Detail blackError;
    Detail colourError;
};

constexpr BidKind kKinds[] = {
    {4, 1, eeprom_address::kBidVsd1, bid_error::kVsd1Black, bid_error::kVsd1Colour},
    {5, 2, eeprom_address::kBidVsd2, bid_error::kVsd2Black, bid_error::kVsd2Colour},
    {6, 3, eeprom_address::kBidVsd3, bid_error::kVsd3Black, bid_error::kVsd3Colour},
    {7, 4, eeprom_address::kBidEco, bid_error::kEcoBlack, bid_error::kEcoColour},
};

constexpr int kMinValue = -60;
constexpr int kMaxValue = 60;
constexpr std::int8_t kUnchanged = -128;  // the other side of a write keeps its value

const BidKind* findKind(int kind) {
    for (const auto& k : kKinds) {
        if (k.kind == kind) {
            return &k;
        }
    }
    return nullptr;
}

}  // namespace

std::uint8_t TPBid::Address(bool colour, int kind) {
    const BidKind* k = findKind(kind);
    if (k == nullptr) {
        return 0;
    }
    return std::uint8_t(k->address + (colour ? 1 : 0));
}

Detail TPBid::RangeError(bool colour, int kind) {
    const BidKind* k = findKind(kind);
    if (k == nullptr) {
        return link_error::kUnexpected;
    }
    return colour ? k->colourError : k->blackError;
}

Status TPBid::ReadBidValue(bool colour, int kind, std::string& text) {
    std::int8_t value = 0;
    VELTRA_TRY(ReadBidValue(colour, kind, value));
    text = std::to_string(int(value));
    return kOk;
}

Status TPBid::ReadBidValue(bool colour, int kind, std::int8_t& value) {
    value = 0;
    if (findKind(kind) == nullptr) {
        return kOk;
    }
    std::uint8_t byte = 0;
    VELTRA_TRY(factory_.ReadEepromByteData(Address(colour, kind), byte));
    value = std::int8_t(byte);
    return kOk;
}

Status TPBid::WriteBidValue(bool colour, int kind, const std::string& text) {
    lastError_ = kNoError;
    const BidKind* k = findKind(kind);
    if (k == nullptr) {
        // No such Bi-D value: nothing may be sent under a made-up kind code.
        lastError_ = link_error::kUnexpected;
        return kBidRange;
    }
    const int value = DecimalOr100(text);
    if (value < kMinValue || value > kMaxValue) {
        lastError_ = RangeError(colour, kind);
        return kBidRange;
    }
    const auto v = std::int8_t(value);
    return colour ? factory_.SetBidValues(k->code, kUnchanged, v)
                  : factory_.SetBidValues(k->code, v, kUnchanged);
}

}  // namespace veltra
