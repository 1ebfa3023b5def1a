#pragma once
// The whole EEPROM at once, for the backup, comparison and restore of image files: reading all
// 256 bytes, the image of the attached printer, the model checks an image must pass before it
// may be written, and writing back only what differs, with a read-back of every written byte.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/EepromImageFile.h"
#include "procedures/ProgramObjects.h"

namespace veltra {

// Called after each byte read or written, so that a window can show how far a long operation has
// come.
using ByteStep = std::function<void()>;

// Reads 0x00-0xFF in order; the first failed read ends it with its status.
Status ReadAllEeprom(TPD4Comm& link, EepromBytes& out, const ByteStep& step = {});

// The image of the attached printer: its bytes and a header from the chosen model, the device ID,
// the bytes themselves and the clock.
EepromImage ImageOfPrinter(const ProgramObjects& objects, const EepromBytes& bytes);

// The port name ("ZTUSB1") of the open port; "" when none is open.
std::string_view OpenPortName(const TPPrinterDriver& driver);

// The model named by the "MDL:" (or "MODEL:") field of a device ID, or by the model byte 0xB0;
// nullptr when it names neither model.
const ModelInfo* ModelOfDeviceId(std::string_view deviceId);
const ModelInfo* ModelOfSetting(std::uint8_t b0);

// Why bytes of a printer of model imageModel must not go to the attached printer: the chosen
// model, the printer's model byte at 0xB0 and the model of its device ID must each be that model
// (a byte or device ID that names no model does not count against it). "" when they agree.
std::string ModelMismatch(const ProgramObjects& objects, std::string_view imageModel,
                          std::uint8_t printerB0);

struct ByteChange {
    std::uint8_t address = 0;
    std::uint8_t now = 0;   // what the printer holds
    std::uint8_t want = 0;  // what is to be written
};

// The addresses whose bytes differ, ascending.
std::vector<ByteChange> EepromDifferences(const EepromBytes& printer, const EepromBytes& wanted);

struct WriteBackResult {
    Status status = kOk;                   // the first failed write, FinishValues or read
    std::size_t written = 0;               // changes accepted by the printer, from the first
    std::optional<std::uint8_t> failedAt;  // the write or read-back that failed
    // After a failed write: the byte then read back at failedAt (best effort; nullopt when the
    // printer did not answer), since a reply lost after the write leaves it written.
    std::optional<std::uint8_t> heldAtFailure;
    bool writeFailed = false;  // failedAt is a write (not a read-back)
    bool refused = false;      // the printer answered the failed write with a refusal ("B", "N")
    bool finishValuesNeeded = false;        // an adjustment value was written (or pending)
    bool finishValuesAcknowledged = false;  // FinishValues was sent and acknowledged
    bool failedAtFinishValues = false;
    std::vector<std::uint8_t> readBack;  // value read back for each written change
    // The first written address that did not read back as written; nullopt when all did.
    std::optional<std::uint8_t> mismatchAt;
    bool verified() const { return status == kOk && !mismatchAt; }
};

// Whether a read may still get through after a failed step: not when the port itself refused to
// send (the cable is gone); after a refusal or a reply time-out it may (the byte may be written).
bool LinkMayStillAnswer(const ProgramObjects& objects, Status failed);

// Writes the changes in the order given (ascending); sends FinishValues once when an adjustment
// value was among them or finishPending (an earlier change left it unsent); then reads every
// written byte back. The first failure ends it: after a refused write nothing more is sent. step
// is called after each byte written and each byte read back.
WriteBackResult WriteBack(ProgramObjects& objects, const std::vector<ByteChange>& changes,
                          bool finishPending = false, const ByteStep& step = {});

// After a failed write: reads the failed byte back into heldAtFailure (best effort), once the
// failure has been worded (the read replaces the link's detail of it).
void ReadBackFailedByte(ProgramObjects& objects, WriteBackResult& result);

// "5D" for an address or a byte.
std::string Hex2(std::uint8_t value);

}  // namespace veltra
