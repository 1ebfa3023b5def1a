// Identity commands: the head ID and the USB ID, entered and read back as the adjustment
// window's "Head ID" and "USB ID" items do it.
#include <memory>
#include <string>

#include "cli/CliApp.h"
#include "codes/Malusbid.h"
#include "procedures/Identity.h"

namespace veltra::cli {

namespace {

// Also 1 when the status area showed a failure the status does not carry.
int exitCodeSeen(const CliSession& s, Status status) {
    return status == kOk && !s.view.sawFailure() ? 0 : 1;
}

// --json: the code the status area shows, as text (a code may be all digits).
int withCode(CliSession& s, Status status) {
    const int rc = exitCodeSeen(s, status);
    if (rc == 0 && !s.view.fields().empty()) {
        s.json.addString("value", firstField(s.view));
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
    return exitCodeSeen(s, UsbIdInputOKBtnClick(s.frame));
}

void addHeadIdCommands(CliApp& cli) {
    CLI::App* headid = cli.app().add_subcommand("headid", "Head ID (13 characters)");
    headid->require_subcommand(1);
    headid->add_subcommand("read", "Show the head ID stored in the printer")->callback([&cli] {
        cli.setAction([](CliSession& s) {
            return withCode(s, HdVolOKBtnClick(s.frame, HeadIdChoice::CheckPresent));
        });
    });
    auto code = std::make_shared<std::string>();
    CLI::App* write = headid->add_subcommand("write", "Check a head ID and store it");
    write->add_option("CODE", *code, "The 13 characters of the head label")->required();
    write->callback([&cli, code] {
        cli.setAction([code](CliSession& s) {
            // No cut to 13 characters: a longer text is reported, not shortened into a code.
            s.view.setEntryText(Entry::LeftHeadIDInputEdit, upper(*code));
            return exitCodeSeen(s, HeadIDInputOKBtnClick(s.frame));
        });
    });
}

void addUsbIdCommands(CliApp& cli) {
    CLI::App* usbid = cli.app().add_subcommand("usbid", "USB ID (18 characters)");
    usbid->require_subcommand(1);
    usbid->add_subcommand("read", "Show the USB ID stored in the printer")->callback([&cli] {
        cli.setAction([](CliSession& s) {
            return withCode(s, UsbIdOKBtnClick(s.frame, UsbIdChoice::Readout));
        });
    });
    auto id = std::make_shared<std::string>();
    CLI::App* write = usbid->add_subcommand("write", "Store the printer's original USB ID");
    write->add_option("ID", *id, "The 18 letters and digits")->required();
    write->callback([&cli, id] {
        cli.setAction(
            [id](CliSession& s) { return enterUsbId(s, Entry::OriginalUsbIdInputEdit, *id); });
    });
    auto serial = std::make_shared<std::string>();
    CLI::App* fromSerial = usbid->add_subcommand(
        "serial", "Form a new USB ID from the serial number and the present date and time");
    fromSerial->add_option("NUMBER", *serial, "The 10 letters and digits of the serial number")
        ->required();
    fromSerial->callback([&cli, serial] {
        cli.setAction(
            [serial](CliSession& s) { return enterUsbId(s, Entry::UsbIdInputEdit, *serial); });
    });
}

}  // namespace

void addIdentityCommands(CliApp& cli) {
    addHeadIdCommands(cli);
    addUsbIdCommands(cli);
}

}  // namespace veltra::cli
