#pragma once
// The program's four windows, created once in this order: TFormBoot (the main window),
// TFormAdjust, TFormQuit, TAboutBox; then linked to each other. The entry and the tests make one.
#include "procedures/ProgramObjects.h"
#include "shell/Malaboutbox.h"
#include "shell/Malformadjust.h"
#include "shell/Malformboot.h"
#include "shell/Malformquit.h"

namespace veltra::shell {

inline constexpr const char* kApplicationTitle = "Adjustment Program for Veltra K55 K45";

struct ProgramWindows {
    // files: where the adjustment window asks for EEPROM image files.
    ProgramWindows(ProgramObjects& objects, FileChooser& files);
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // Declared in creation order: members are constructed in this order.
    TFormBoot boot;
    TFormAdjust adjust;
    TFormQuit quit;
    TAboutBox about;
};

}  // namespace veltra::shell
