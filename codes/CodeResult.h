#pragma once
// The result of a head ID or USB ID operation: the 16-bit status and, for a format error, the
// unit's detail code. A link failure carries the link's status with detail kNoError; its own
// detail stays with the link object (TPD4Comm::LastError, TPPrinterDriver::LastError).
#include <span>
#include <string_view>

#include "link/Status.h"

namespace veltra {

struct CodeResult {
    Status status = kOk;
    Detail detail = kNoError;

    bool ok() const { return status == kOk; }
    friend bool operator==(const CodeResult&, const CodeResult&) = default;
};

// A detail code and the message shown for it.
struct DetailText {
    Detail detail;
    std::string_view text;
};

// The message of detail in table; "" when the table has none.
constexpr std::string_view TextOf(std::span<const DetailText> table, Detail detail) {
    for (const DetailText& entry : table) {
        if (entry.detail == detail) {
            return entry.text;
        }
    }
    return {};
}

}  // namespace veltra
