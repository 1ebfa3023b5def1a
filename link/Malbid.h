#pragma once
// TPBid: Bi-D values. Kinds 4 VSD1, 5 VSD2, 6 VSD3, 7 ECO; side black (colour=false) or colour.
#include <cstdint>
#include <string>

#include "link/Malfactory.h"

namespace veltra {

class TPBid {
public:
    explicit TPBid(TPFactory& factory) : factory_(factory) {}
    static std::uint8_t Address(bool colour, int kind);  // 0x72.. ; 0 for an unknown kind
    // The detail code of a value out of range (bid_error); link_error::kUnexpected for an unknown
    // kind.
    static Detail RangeError(bool colour, int kind);
    Status ReadBidValue(bool colour, int kind, std::string& text);
    Status ReadBidValue(bool colour, int kind, std::int8_t& value);  // 0 for an unknown kind
    Status WriteBidValue(bool colour, int kind, const std::string& text);
    Detail LastError() const { return lastError_; }

private:
    TPFactory& factory_;
    Detail lastError_ = kNoError;
};

}  // namespace veltra
