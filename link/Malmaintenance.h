#pragma once
// TPMaintenance: the protection (waste ink), page and print pass counters.
#include <cstdint>
#include <string>

#include "link/Mald4comm.h"

namespace veltra {

// A new ink pad starts the protection counter at this count.
inline constexpr std::uint16_t kNewInkPadCount = 3937;

class TPMaintenance {
public:
    explicit TPMaintenance(TPD4Comm& link) : link_(link) {}
    Status ReadProtectionCounter(std::string& text);
    Status ClearProtectionCounter();   // 0x02 = 0x00, 0x03 = 0x00
    Status PresetProtectionCounter();  // 0x02 = 0x0F, 0x03 = 0x61 (3937)
    Status ReadPageCounter(std::string& text);
    Status ReadPrintPassCounter(std::string& text);
    // The same counters as numbers.
    Status ReadProtectionCounter(std::int64_t& value);
    Status ReadPageCounter(std::int64_t& value);
    Status ReadPrintPassCounter(std::int64_t& value);

private:
    TPD4Comm& link_;
};

}  // namespace veltra
