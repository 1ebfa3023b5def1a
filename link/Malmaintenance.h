#pragma once
// TPMaintenance: the protection (waste ink), page and print pass counters.
#include <string>

#include "link/Mald4comm.h"

namespace veltra {

class TPMaintenance {
public:
    explicit TPMaintenance(TPD4Comm& link) : link_(link) {}
    Status ReadProtectionCounter(std::string& text);
    Status ClearProtectionCounter();   // 0x02 = 0x00, 0x03 = 0x00
    Status PresetProtectionCounter();  // 0x02 = 0x0F, 0x03 = 0x61 (3937)
    Status ReadPageCounter(std::string& text);
    Status ReadPrintPassCounter(std::string& text);

private:
    TPD4Comm& link_;
};

}  // namespace veltra
