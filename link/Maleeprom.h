#pragma once
// TPEeprom: the EEPROM initialization sequence (factory settings of a new main board).
#include "link/Mald4comm.h"
#include "link/StartupChoice.h"

namespace veltra {

class TPEeprom {
public:
    TPEeprom(TPD4Comm& link, const StartupChoice& choice) : link_(link), choice_(choice) {}
    Status InitializeEeprom();

private:
    TPD4Comm& link_;
    const StartupChoice& choice_;
};

}  // namespace veltra
