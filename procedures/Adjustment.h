#pragma once
// The Bi-D, PF and top margin items: print a pattern, write the value read off the paper, or
// show the present value.
#include <array>
#include <cstdint>
#include <string_view>

#include "link/EepromAddresses.h"
#include "procedures/AdjustFrame.h"

namespace veltra {

// One Bi-D row of the input panel, in the panel's order (VSD1 black first, ECO colour last).
struct BidRow {
    std::string_view name;  // "VSD1 Black"
    std::string_view key;   // "vsd1-black": the value's name in results and on the command line
    int kind;               // Bi-D kind: 4 VSD1, 5 VSD2, 6 VSD3, 7 ECO
    bool colour;
    Entry entry;
    CheckBox box;
    SummaryField summary;
};

inline constexpr std::array<BidRow, 8> kBidRows{{
    {"VSD1 Black", "vsd1-black", 4, false, Entry::BidVSD1BkWrtEdit, CheckBox::BidVSD1BkCheckBox,
     SummaryField::ShowVSD1BkPnl},
    {"VSD1 Color", "vsd1-color", 4, true, Entry::BidVSD1YMCWrtEdit, CheckBox::BidVSD1YMCCheckBox,
     SummaryField::ShowVSD1ClPnl},
    {"VSD2 Black", "vsd2-black", 5, false, Entry::BidVSD2BkWrtEdit, CheckBox::BidVSD2BkCheckBox,
     SummaryField::ShowVSD2BkPnl},
    {"VSD2 Color", "vsd2-color", 5, true, Entry::BidVSD2YMCWrtEdit, CheckBox::BidVSD2YMCCheckBox,
     SummaryField::ShowVSD2ClPnl},
    {"VSD3 Black", "vsd3-black", 6, false, Entry::BidVSD3BkWrtEdit, CheckBox::BidVSD3BkCheckBox,
     SummaryField::ShowVSD3BkPnl},
    {"VSD3 Color", "vsd3-color", 6, true, Entry::BidVSD3YMCWrtEdit, CheckBox::BidVSD3YMCCheckBox,
     SummaryField::ShowVSD3ClPnl},
    {"ECO Black", "eco-black", 7, false, Entry::BidECOBkWrtEdit, CheckBox::BidECOBkCheckBox,
     SummaryField::ShowEcoBkPnl},
    {"ECO Color", "eco-color", 7, true, Entry::BidECOYMCWrtEdit, CheckBox::BidECOYMCCheckBox,
     SummaryField::ShowEcoClPnl},
}};

inline constexpr std::uint8_t kPfAddress = eeprom_address::kPaperFeed;
inline constexpr std::uint8_t kTopMarginAddress = eeprom_address::kTopMargin;
// The names of the PF and top margin values in the procedures' results.
inline constexpr std::string_view kPfName = "pf";
inline constexpr std::string_view kTopMarginName = "top-margin";

// Top margin: the stored values of the two series (steps 0-5); steps 0-4 are writable.
inline constexpr std::array<std::uint8_t, 6> kTopMarginLow{14, 28, 42, 56, 70, 85};
inline constexpr std::array<std::uint8_t, 6> kTopMarginHigh{92, 106, 120, 134, 148, 162};

enum class BidChoice { PrintPattern, Adjust, CheckPresent };
enum class PfChoice { PrintPattern, Adjust, CheckPresent };
enum class TopMarginChoice { CheckMargin, Adjust };

Status BidOKBtnClick(AdjustFrame& frame, BidChoice choice);
// Writes every ticked row, then FinishValues. Returns kOk when every ticked row was written.
Status BidWrtOKBtnClick(AdjustFrame& frame);
Status PFOKBtnClick(AdjustFrame& frame, PfChoice choice);
Status PFWriteOKBtnClick(AdjustFrame& frame);
Status TopMarginMainBtnClick(AdjustFrame& frame, TopMarginChoice choice);
Status TopMarginWriteOKBtnClick(AdjustFrame& frame);

// The five combo labels for a present top margin value, or {} when it is in neither series.
std::vector<std::string> TopMarginLabels(std::uint8_t present, TopMarginSeries& series);

}  // namespace veltra
