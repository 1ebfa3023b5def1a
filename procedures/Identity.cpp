#include "procedures/Identity.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "codes/Malheadid.h"
#include "codes/Malusbid.h"
#include "link/EepromAddresses.h"
#include "link/EepromImageFile.h"
#include "procedures/EepromBackup.h"
#include "procedures/JournalGuard.h"

namespace veltra {

namespace {

std::vector<std::uint8_t> UsbIdAddresses() {
    std::vector<std::uint8_t> addresses;
    for (std::uint8_t i = 0; i < eeprom_address::kUsbIdLength; ++i) {
        addresses.push_back(std::uint8_t(eeprom_address::kUsbId + i));
    }
    return addresses;
}

// An item's input panel, opened with the focus on its entry.
Status OpenInputPanel(AdjustFrame& frame, Panel panel, Entry entry) {
    frame.HideAllPanels(false);
    frame.view().showPanel(panel);
    frame.view().setFocus(entry);
    return kOk;
}

}  // namespace

Status DefaultSetBtnClick(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    const auto& init = eeprom_address::kInitialization;
    JournalGuard journal(frame, "eeprom init", {init.begin(), init.end()});
    if (!journal.ok()) {
        return journal.status();
    }
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
        return OpenInputPanel(frame, Panel::HeadIDInputPnl, Entry::LeftHeadIDInputEdit);
    }
    frame.NewResult();
    view.setHourglass(true);
    std::array<char, kHeadIdLength + 1> headId{};
    const CodeResult result = HeadIdRead(frame.objects().link, headId);
    if (result.ok()) {
        frame.result().code = headId.data();
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
    frame.NewResult();
    const std::string typed = view.entryText(Entry::LeftHeadIDInputEdit);
    // Only a head ID that will be written is journalled; a typing error sends nothing.
    if (HeadIdValues values{}; HeadIdParse(typed, values).ok()) {
        JournalGuard journal(frame, "headid write",
                             {kHeadIdAddresses.begin(), kHeadIdAddresses.end()});
        if (!journal.ok()) {
            view.setFocus(Entry::LeftHeadIDInputEdit);
            return journal.status();
        }
    }
    const CodeResult result = HeadIdWrite(frame.objects().link, typed);
    if (!result.ok()) {
        frame.ReportStatus(result);
        view.setFocus(Entry::LeftHeadIDInputEdit);
        return result.status;
    }
    frame.result().code = typed;
    frame.ShowStatus(StatusMode::Replace, msg::kHeadIdTypedBefore);
    frame.ShowStatus(StatusMode::Append, typed);
    frame.ShowStatus(StatusMode::Append, msg::kHeadIdTypedAfter);
    view.setSummary(SummaryField::ShowHdVolIDPnl, typed);
    return kOk;
}

Status UsbIdOKBtnClick(AdjustFrame& frame, UsbIdChoice choice) {
    if (choice == UsbIdChoice::Input) {
        return OpenInputPanel(frame, Panel::USBIDInputPnl, Entry::OriginalUsbIdInputEdit);
    }
    frame.NewResult();
    std::array<char, kUsbIdLength + 1> usbId{};
    const CodeResult result = UsbIdRead(frame.objects().link, usbId);
    if (!result.ok()) {
        frame.ReportStatus(result);
        return result.status;
    }
    frame.result().code = usbId.data();
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
    frame.result().code = std::string(first) + std::string(second);
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

// Opens the journal entry of a USB ID write when the typed text passes the check (a typing error
// sends nothing and is not journalled). Returns the journal's failure, else kOk.
Status JournalUsbId(std::optional<JournalGuard>& journal, AdjustFrame& frame,
                    std::string_view operation, const std::string& typed, std::size_t length) {
    if (UsbIdCheck(typed, length).ok()) {
        // The typed characters are the USB ID the entry means to leave (the date code of a serial
        // number is made later, so those places keep what they hold).
        std::map<std::uint8_t, std::uint8_t> planned;
        for (std::size_t i = 0; i < typed.size() && i < kUsbIdLength; ++i) {
            planned[std::uint8_t(eeprom_address::kUsbId + i)] = std::uint8_t(typed[i]);
        }
        journal.emplace(frame, operation, UsbIdAddresses(), planned);
        return journal->status();
    }
    return kOk;
}

// After a USB ID write that failed part-way: what the printer's USB ID now reads (best effort),
// in the journal and the status area.
void RecordUsbIdFailure(std::optional<JournalGuard>& journal, AdjustFrame& frame,
                        const CodeResult& failed) {
    frame.ReportStatus(failed);
    if (failed.status == kUsbIdFormat) {
        return;  // a typing error: nothing was sent
    }
    std::string bytes;
    const bool read = LinkMayStillAnswer(frame.objects(), failed.status) &&
                      frame.objects().link.ReadUsbIdBytes(bytes) == kOk;
    std::map<std::uint8_t, std::uint8_t> held;
    for (std::size_t i = 0; read && i < bytes.size(); ++i) {
        held[std::uint8_t(eeprom_address::kUsbId + i)] = std::uint8_t(bytes[i]);
    }
    if (journal) {
        journal->record(EntryState::Failed, held);
    }
    frame.ShowStatus(StatusMode::NewLine, read ? std::string(msg::kUsbIdNowReads) +
                                                     printableText(bytes) +
                                                     std::string(msg::kUsbIdNowReadsAfter)
                                               : std::string(msg::kUsbIdNowUnknown));
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
    frame.NewResult();
    view.setStatusText("");

    if (!original.empty() && !serial.empty()) {
        return frame.Refuse(kInputRejected, msg::kInputDataWrong);
    }
    if (!original.empty()) {
        std::optional<JournalGuard> journal;
        VELTRA_TRY(JournalUsbId(journal, frame, "usbid write", original, kUsbIdLength));
        const CodeResult written = UsbIdWrite(o.link, original);
        if (!written.ok()) {
            RecordUsbIdFailure(journal, frame, written);
            return written.status;
        }
        VELTRA_TRY(ShowUsbIdRegistered(frame, original, {}));
        std::array<char, kUsbIdLength + 1> readBack{};
        const CodeResult read = UsbIdRead(o.link, readBack);
        if (!read.ok()) {
            RecordUsbIdFailure(journal, frame, read);
            return read.status;
        }
        const std::string_view id(readBack.data(), kUsbIdLength);
        std::map<std::uint8_t, std::uint8_t> after;
        for (std::size_t i = 0; i < kUsbIdLength; ++i) {
            after[std::uint8_t(eeprom_address::kUsbId + i)] = std::uint8_t(id[i]);
        }
        if (journal) {
            journal->recordAfter(after, std::string(id));
        }
        view.setSummary(SummaryField::ShowUSBIDLbl, SummaryUsbId(id.substr(0, kSerialNumberLength),
                                                                 id.substr(kSerialNumberLength)));
        return kOk;
    }
    if (!serial.empty()) {
        std::optional<JournalGuard> journal;
        VELTRA_TRY(JournalUsbId(journal, frame, "usbid serial", serial, kSerialNumberLength));
        std::array<char, kDateTimeCodeLength + 1> code{};
        const CodeResult written = SerialNumberWrite(o.link, o.clock, serial, code);
        if (!written.ok()) {
            RecordUsbIdFailure(journal, frame, written);
            return written.status;
        }
        const std::string_view codeText(code.data(), kDateTimeCodeLength);
        // Not read back: only the USB ID it now carries is noted, so the entry stays the
        // printer's.
        if (journal) {
            journal->recordAfter({}, serial + std::string(codeText));
        }
        VELTRA_TRY(ShowUsbIdRegistered(frame, serial, codeText));
        view.setSummary(SummaryField::ShowUSBIDLbl, SummaryUsbId(serial, codeText));
    }
    return kOk;
}

}  // namespace veltra
