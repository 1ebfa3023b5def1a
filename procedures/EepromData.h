#pragma once
// The "EEPROM data" item (a 16 x 16 hexadecimal table of a range of addresses, or one byte
// changed) and the "A4 normal paper printing" item (the check-pattern report). Each handler
// takes the frame and returns kOk, kInputRejected, or the first failing status, already shown.
#include <cstdint>
#include <optional>
#include <string_view>

#include "procedures/AdjustFrame.h"

namespace veltra {

// EepromCheckRdoGrp: "Check the EEPROM data" or "Change the EEPROM data".
enum class EepromChoice { Check, Change };
void EepromItemsOKBtnClick(AdjustFrame& frame, EepromChoice choice);

// Reads the addresses from EepReadBegEdit to EepReadEndEdit into the table, cell by cell in
// ascending order. A failed read returns to EEPROMCheckPnl with the failure shown and no table.
Status EepromReadOkBtnClick(AdjustFrame& frame);
// Writes the byte of EepWriteDataEdit at the address of EepWriteAddEdit; the entries keep their
// text for the next byte.
Status EepromWriteOkBtnClick(AdjustFrame& frame);

// A4 normal paper printing: busy, the remote "SN" bracket and the check-pattern report,
// completed.
Status A3PPrintOKBtnClick(AdjustFrame& frame);

// Grid cell (row, column), both 1-16, of an EEPROM address.
inline constexpr int GridRow(std::uint8_t address) {
    return address / 16 + 1;
}
inline constexpr int GridColumn(std::uint8_t address) {
    return address % 16 + 1;
}

// A field that holds exactly two hexadecimal digits "0"-"9"/"A"-"F"; nullopt otherwise.
std::optional<std::uint8_t> HexPairField(std::string_view text);

}  // namespace veltra
