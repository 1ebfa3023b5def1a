#include "shell/ProgramWindows.h"

namespace veltra::shell {

ProgramWindows::ProgramWindows(ProgramObjects& objects, FileChooser& files)
    : boot(objects), adjust(objects, files) {
    boot.setAdjustWindow(&adjust);
    boot.setAboutBox(&about);
    adjust.setQuitWindow(&quit);
    quit.setBootWindow(&boot);
    // A program error in the adjustment window ends the program like the main window's close.
    QObject::connect(&adjust, &TFormAdjust::programEnded, &boot, &TFormBoot::programEnded);
}

}  // namespace veltra::shell
