#pragma once
// Status codes and the link's error contract.
//
// Every operation below the windows returns a 16-bit status: 1 is success, and a failure names
// the layer that failed. A layer passes a lower layer's failure up unchanged. The object of the
// failing layer keeps a signed 16-bit detail code (`LastError`), 1 meaning no failure, which the
// caller reads right after the failed call to word its message. Nothing below the windows throws
// or shows anything, except the program errors that go through MessageHandler::endProgram.
#include <cstdint>
#include <string_view>

namespace veltra {

using Status = std::uint16_t;
using Detail = std::int16_t;

inline constexpr Status kOk = 1;
inline constexpr Status kPortFailure = 0x1000;       // TPPrinterDriver::LastError says why
inline constexpr Status kTransportFailure = 0x2000;  // TPD4Comm::LastError says why
inline constexpr Status kFactoryFailure = 0x3000;    // TPFactory::LastError says why
inline constexpr Status kPrinterError = 0x4000;      // TPD4Comm::PrinterError says which
inline constexpr Status kHeadIdFormat = 0x5000;      // detail from the head ID unit
inline constexpr Status kBidRange = 0x7000;          // TPBid::LastError says which field
inline constexpr Status kUsbIdFormat = 0x8000;       // detail from the USB ID unit
// Outcomes of the procedures above the link; in both nothing was sent to the printer.
inline constexpr Status kInputRejected = 0x9000;  // typed input refused ("Input data is wrong.")
inline constexpr Status kJournalFailed = 0xA000;  // the change journal could not be written

inline constexpr Detail kNoError = 1;

// The name of each status code, stable for scripts (the command line's --json "result");
// "unknown" for a code that is none of the above.
constexpr std::string_view StatusName(Status s) {
    switch (s) {
        case kOk:
            return "ok";
        case kPortFailure:
            return "port-failure";
        case kTransportFailure:
            return "transport-failure";
        case kFactoryFailure:
            return "factory-reply-failure";
        case kPrinterError:
            return "printer-error";
        case kHeadIdFormat:
            return "head-id-format";
        case kBidRange:
            return "bid-range";
        case kUsbIdFormat:
            return "usb-id-format";
        case kInputRejected:
            return "input-refused";
        case kJournalFailed:
            return "journal-failed";
        default:
            return "unknown";
    }
}

// Whether a step failed. A result of a higher layer that carries a Status (a print job's
// PrintResult) adds its own overload, so that VELTRA_TRY serves it too.
constexpr bool failed(Status s) {
    return s != kOk;
}

// Stops at the first failed step: evaluates expr (a Status, or a result with its own `failed`)
// and, when it failed, returns it from the calling function at once, so that nothing after a
// failed step is sent. Where a failure is followed by more work (clean-up, a message, a count),
// the check stays written out.
#define VELTRA_TRY(expr)                                    \
    do {                                                    \
        if (const auto s_ = (expr); ::veltra::failed(s_)) { \
            return s_;                                      \
        }                                                   \
    } while (false)

// Port detail codes (TPPrinterDriver::LastError).
namespace port_error {
inline constexpr Detail kOpen = -105;       // not open, or opening failed
inline constexpr Detail kReadTime = -104;   // read took 10 s or more; ten empty USB reads
inline constexpr Detail kWriteTime = -103;  // write took 10 s or more
inline constexpr Detail kNoDeviceId = -110;
inline constexpr Detail kRead = -82;   // the system refused a read; malformed reply length
inline constexpr Detail kWrite = -81;  // the system refused a write, or a short write
}  // namespace port_error

// Transport detail codes (TPD4Comm::LastError) besides the 0x1x-0x5x command results.
namespace link_error {
inline constexpr Detail kUnexpected = -1;
inline constexpr Detail kBusy = 0x90;           // control reply letter "B"
inline constexpr Detail kRefused = 0x91;        // control reply letter "N"
inline constexpr Detail kBadStatus = 0xA0;      // status reply without "ST:" or "IQ:"
inline constexpr Detail kBadEepromRead = 0xB0;  // read reply not beginning "@BDC PS"
inline constexpr Detail kChannelClosedByPrinter = 0x84;
// A ready wait ended by a stop request (see StopRequest); nothing failed on the wire.
inline constexpr Detail kStopped = 0x7E;
}  // namespace link_error

// Bi-D detail codes (TPBid::LastError): the field whose value is outside -60..60.
namespace bid_error {
inline constexpr Detail kVsd1Black = 0x1001;
inline constexpr Detail kVsd2Black = 0x1002;
inline constexpr Detail kVsd3Black = 0x1003;
inline constexpr Detail kEcoBlack = 0x1004;
inline constexpr Detail kVsd1Colour = 0x1005;
inline constexpr Detail kVsd2Colour = 0x1006;
inline constexpr Detail kVsd3Colour = 0x1007;
inline constexpr Detail kEcoColour = 0x1008;
}  // namespace bid_error

}  // namespace veltra
