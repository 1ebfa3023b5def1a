#pragma once
// What a procedure found and did, as plain data beside the texts it shows: the values read, the
// bytes written, the status and detail code of its first failure with the words shown for it,
// and what the printer holds afterwards. The window shows the texts; the command line prints
// them or, with --json, this record.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/Status.h"

namespace veltra {

struct EepromByte {
    std::uint8_t address = 0;
    std::uint8_t value = 0;
    friend bool operator==(const EepromByte&, const EepromByte&) = default;
};

// A value the printer holds, by a stable name ("pf", "vsd1-black", "page-counter").
struct NamedValue {
    std::string name;
    std::int64_t value = 0;
    friend bool operator==(const NamedValue&, const NamedValue&) = default;
};

// The printer's state as the last status read found it.
struct PrinterStatus {
    std::int16_t state = 0;
    std::int16_t error = 0;     // printer_error code; printer_error::kNone without an "ER:" field
    std::uint8_t rawError = 0;  // the printer's own error byte
};

struct ProcedureResult {
    Status status = kOk;              // the first failure, or kOk
    Detail detail = kNoError;         // the failing object's detail code
    std::string failure;              // the words shown for the first failure ("" when none)
    std::vector<EepromByte> read;     // EEPROM bytes read, in the order read
    std::vector<EepromByte> written;  // EEPROM bytes the printer was told to store, in order
    std::vector<NamedValue> values;   // what the printer holds now, read or written
    std::string code;                 // the head ID or USB ID read or stored
    std::optional<PrinterStatus> printer;

    bool ok() const { return status == kOk; }
    // The value of name, when the procedure found one.
    std::optional<std::int64_t> value(std::string_view name) const {
        for (const NamedValue& v : values) {
            if (v.name == name) {
                return v.value;
            }
        }
        return std::nullopt;
    }
};

}  // namespace veltra
