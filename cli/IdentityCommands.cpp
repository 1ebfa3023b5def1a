// Identity commands: the head ID and the USB ID, entered and read back as the adjustment
// window's "Head ID" and "USB ID" items do it.
#include <string>

#include "cli/CliApp.h"
#include "codes/Malusbid.h"
#include "procedures/Identity.h"

namespace veltra::cli {

namespace {

// Also 1 when the procedure noted a failure its status does not carry.
int exitCodeSeen(const CliSession& s, Status status) {
    return status == kOk && s.frame.result().ok() ? 0 : 1;
}

// --json: the code read or stored, as text (a code may be all digits).
int withCode(CliSession& s, Status status) {
    const int rc = exitCodeSeen(s, status);
    if (rc == 0 && !s.frame.result().code.empty()) {
        s.json["value"] = s.frame.result().code;
    }
    return rc;
}

// Both USB ID entries start empty; the one chosen gets the typed text, upper-cased as the
// window's entries do. An empty text would make the window do nothing, so it is refused here.
int enterUsbId(CliSession& s, Entry entry, const std::string& typed) {
    if (typed.empty()) {
        s.err << UsbIdMessage(usbid_error::kLength) << '\n';
        return 1;
    }
    s.view.setEntryText(Entry::OriginalUsbIdInputEdit, "");
    s.view.setEntryText(Entry::UsbIdInputEdit, "");
    s.view.setEntryText(entry, upper(typed));
    return withCode(s, UsbIdInputOKBtnClick(s.frame));
}

// No cut to 13 characters: a longer text is reported, not shortened into a code.
int writeHeadId(CliSession& s, const std::string& code) {
    s.view.setEntryText(Entry::LeftHeadIDInputEdit, upper(code));
    return withCode(s, HeadIDInputOKBtnClick(s.frame));
}

// A body that runs one read procedure and, with --json, gives the code it shows.
template <class Choice>
CommandBody showsCode(Status (*procedure)(AdjustFrame&, Choice), Choice choice) {
    return [=](CliSession& s) { return withCode(s, procedure(s.frame, choice)); };
}

}  // namespace

void addIdentityCommands(CliApp& cli) {
    CLI::App& headid = addGroup(cli, "headid", "Head ID (13 characters)");
    addCommand(cli, headid, "read", "Show the head ID stored in the printer",
               showsCode(HdVolOKBtnClick, HeadIdChoice::CheckPresent));
    addCommand(cli, headid, "write", "Check a head ID and store it", "CODE",
               "The 13 characters of the head label", writeHeadId);

    CLI::App& usbid = addGroup(cli, "usbid", "USB ID (18 characters)");
    addCommand(cli, usbid, "read", "Show the USB ID stored in the printer",
               showsCode(UsbIdOKBtnClick, UsbIdChoice::Readout));
    addCommand(cli, usbid, "write", "Store the printer's original USB ID", "ID",
               "The 18 letters and digits", [](CliSession& s, const std::string& id) {
                   return enterUsbId(s, Entry::OriginalUsbIdInputEdit, id);
               });
    addCommand(cli, usbid, "serial",
               "Form a new USB ID from the serial number and the present date and time", "NUMBER",
               "The 10 letters and digits of the serial number",
               [](CliSession& s, const std::string& serial) {
                   return enterUsbId(s, Entry::UsbIdInputEdit, serial);
               });
}

}  // namespace veltra::cli
