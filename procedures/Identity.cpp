#include "procedures/Identity.h"

#include <array>
#include <string>

#include "codes/Malheadid.h"
#include "codes/Malusbid.h"

namespace veltra {

Status DefaultSetBtnClick(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    view.setHourglass(true);
    const Status status = frame.objects().eeprom.InitializeEeprom();
    if (status == kOk) {
        frame.ShowStatus(StatusMode::Replace, msg::kEepromInitDone);
    } else {
        // Every failure, port and printer ones included, is worded the same here.
        frame.objects().ui.showError(msg::kCommunicationError);
    }
    view.setHourglass(false);
    return status;
}

Status HdVolOKBtnClick(AdjustFrame& frame, HeadIdChoice choice) {
    AdjustView& view = frame.view();
    if (choice == HeadIdChoice::ChangeData) {
        frame.HideAllPanels(false);
        view.showPanel(Panel::HeadIDInputPnl);
        view.setFocus(Entry::LeftHeadIDInputEdit);
        return kOk;
    }
    view.setHourglass(true);
    std::array<char, kHeadIdLength + 1> headId{};
    const CodeResult result = HeadIdRead(frame.objects().link, headId);
    if (result.ok()) {
        frame.ShowStatus(StatusMode::Replace, msg::kHeadIdIs);
        frame.ShowStatus(StatusMode::Append, std::string_view(headId.data()));
    } else {
        frame.ReportStatus(result);
    }
    view.setHourglass(false);
    return result.status;
}

Status HeadIDInputOKBtnClick(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    const std::string typed = view.entryText(Entry::LeftHeadIDInputEdit);
    const CodeResult result = HeadIdWrite(frame.objects().link, typed);
    if (!result.ok()) {
        frame.ReportStatus(result);
        view.setFocus(Entry::LeftHeadIDInputEdit);
        return result.status;
    }
    frame.ShowStatus(StatusMode::Replace, msg::kHeadIdTypedBefore);
    frame.ShowStatus(StatusMode::Append, typed);
    frame.ShowStatus(StatusMode::Append, msg::kHeadIdTypedAfter);
    view.setSummary(SummaryField::ShowHdVolIDPnl, typed);
    return kOk;
}

Status UsbIdOKBtnClick(AdjustFrame& frame, UsbIdChoice choice) {
    AdjustView& view = frame.view();
    if (choice == UsbIdChoice::Input) {
        frame.HideAllPanels(false);
        view.showPanel(Panel::USBIDInputPnl);
        view.setFocus(Entry::OriginalUsbIdInputEdit);
        return kOk;
    }
    std::array<char, kUsbIdLength + 1> usbId{};
    const CodeResult result = UsbIdRead(frame.objects().link, usbId);
    if (!result.ok()) {
        frame.ReportStatus(result);
        return result.status;
    }
    frame.ShowStatus(StatusMode::Replace, msg::kUsbIdIs);
    frame.ShowStatus(StatusMode::Append, std::string_view(usbId.data()));
    return kOk;
}

namespace {

// "As USB ID, "<parts>" has been registered in EEPROM." once the printer is ready again.
// The item is offered in the printer's error state, where the ready wait fails although every
// byte went in: the registration is then shown all the same, with the printer's error below it.
Status ShowUsbIdRegistered(AdjustFrame& frame, std::string_view first, std::string_view second) {
    const Status ready = frame.ShowStatus(StatusMode::Completed, msg::kUsbIdAsBefore, false);
    if (ready != kOk && ready != kPrinterError) {
        return ready;  // the ready wait has reported its failure
    }
    if (ready != kOk) {
        frame.ShowStatus(StatusMode::Replace, msg::kUsbIdAsBefore);
    }
    frame.ShowStatus(StatusMode::Append, first);
    if (!second.empty()) {
        frame.ShowStatus(StatusMode::Append, second);
    }
    frame.ShowStatus(StatusMode::Append, msg::kUsbIdAsAfter);
    if (ready != kOk) {
        if (const std::string state = frame.FailureMessage(ready); !state.empty()) {
            frame.ShowStatus(StatusMode::NewLine, state);
        }
        frame.BuildItemList();  // the items the printer's state allows
    }
    return kOk;
}

std::string SummaryUsbId(std::string_view first, std::string_view second) {
    std::string text(first);
    text += ' ';
    text += second;
    return text;
}

}  // namespace

Status UsbIdInputOKBtnClick(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    ProgramObjects& o = frame.objects();
    const std::string original = view.entryText(Entry::OriginalUsbIdInputEdit);
    const std::string serial = view.entryText(Entry::UsbIdInputEdit);
    view.setStatusText("");

    if (!original.empty() && !serial.empty()) {
        frame.ShowStatus(StatusMode::Error, msg::kInputDataWrong);
        return kInputRejected;
    }
    if (!original.empty()) {
        const CodeResult written = UsbIdWrite(o.link, original);
        if (!written.ok()) {
            frame.ReportStatus(written);
            return written.status;
        }
        const Status shown = ShowUsbIdRegistered(frame, original, {});
        if (shown != kOk) {
            return shown;
        }
        std::array<char, kUsbIdLength + 1> readBack{};
        const CodeResult read = UsbIdRead(o.link, readBack);
        if (!read.ok()) {
            frame.ReportStatus(read);
            return read.status;
        }
        const std::string_view id(readBack.data(), kUsbIdLength);
        view.setSummary(SummaryField::ShowUSBIDLbl, SummaryUsbId(id.substr(0, kSerialNumberLength),
                                                                 id.substr(kSerialNumberLength)));
        return kOk;
    }
    if (!serial.empty()) {
        std::array<char, kDateTimeCodeLength + 1> code{};
        const CodeResult written = SerialNumberWrite(o.link, o.clock, serial, code);
        if (!written.ok()) {
            frame.ReportStatus(written);
            return written.status;
        }
        const std::string_view codeText(code.data(), kDateTimeCodeLength);
        const Status shown = ShowUsbIdRegistered(frame, serial, codeText);
        if (shown != kOk) {
            return shown;
        }
        view.setSummary(SummaryField::ShowUSBIDLbl, SummaryUsbId(serial, codeText));
    }
    return kOk;
}

}  // namespace veltra
