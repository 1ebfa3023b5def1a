#pragma once
// The identity items of the adjustment tab: EEPROM initialization, head ID entry and check, USB ID
// entry (full ID or serial number) and readout. Each handler takes the frame and returns kOk or
// the first failing status, already shown.
#include "procedures/AdjustFrame.h"

namespace veltra {

// EEPROM initialization: the factory settings of a new main board. Any failure shows the error
// box "Communication error."; the window is not locked.
Status DefaultSetBtnClick(AdjustFrame& frame);

// HdVolRdoBtn: "Change data" opens the entry; "Check present data" reads the stored head ID.
enum class HeadIdChoice { ChangeData, CheckPresent };
Status HdVolOKBtnClick(AdjustFrame& frame, HeadIdChoice choice);
// Writes the head ID typed in LeftHeadIDInputEdit; on failure the focus returns to the entry.
Status HeadIDInputOKBtnClick(AdjustFrame& frame);

// USBIDRdoGrp: "Input USB ID" opens the entry; "Readout USB ID" reads the stored USB ID.
enum class UsbIdChoice { Input, Readout };
Status UsbIdOKBtnClick(AdjustFrame& frame, UsbIdChoice choice);
// Writes the full USB ID of OriginalUsbIdInputEdit or the serial number of UsbIdInputEdit
// (exactly one of them filled; both gives "Input data is wrong.", neither does nothing).
Status UsbIdInputOKBtnClick(AdjustFrame& frame);

}  // namespace veltra
