#pragma once
// TPD4Comm: the IEEE 1284.4 packet transport over the port, with its two channels (control,
// socket 2; print data, socket 0x40), the printer status and the EEPROM byte access on the
// control channel.
//
// Error contract: every operation returns kOk (1), a port failure unchanged (0x1000, detail in
// TPPrinterDriver::LastError), kTransportFailure (0x2000, detail in LastError() here), or
// kPrinterError (0x4000) from the ready waits. Nothing is retried; the first failure ends the
// operation. Replies are parsed defensively: a reply too short for the field being read is a
// failure with LastError -1, never a read outside the reply buffer.
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/Clock.h"
#include "link/Malprinterdriver.h"
#include "link/MessageHandler.h"
#include "link/Status.h"
#include "link/StopRequest.h"

namespace veltra {

inline constexpr std::uint8_t kControlSocket = 0x02;
inline constexpr std::uint8_t kDataSocket = 0x40;

// Decoded "ST:" values.
namespace printer_state {
inline constexpr std::int16_t kUnknown = 20;
inline constexpr std::int16_t kError = std::int16_t(0xEFFF);
inline constexpr std::int16_t kNozzleCheck = std::int16_t(0xEFFE);
inline constexpr std::int16_t kBusy = std::int16_t(0xEFFD);
inline constexpr std::int16_t kPrinting = std::int16_t(0xEFFC);
inline constexpr std::int16_t kReady = std::int16_t(0xEFFB);
inline constexpr std::int16_t kCleaning = std::int16_t(0xEFFA);
inline constexpr std::int16_t kBeforeFill = std::int16_t(0xEFF9);
}  // namespace printer_state

// Decoded "ER:" values.
namespace printer_error {
inline constexpr std::int16_t kNone = 0;
inline constexpr std::int16_t kFatal = std::int16_t(0xEF0F);
inline constexpr std::int16_t kNotSelected = std::int16_t(0xEF0E);
inline constexpr std::int16_t kPaperJam = std::int16_t(0xEF0B);
inline constexpr std::int16_t kInkOut = std::int16_t(0xEF0A);
inline constexpr std::int16_t kPaperOut = std::int16_t(0xEF09);
inline constexpr std::int16_t kMaintenance = std::int16_t(0xEF06);
inline constexpr std::int16_t kDoubleFeed = std::int16_t(0xEF04);
inline constexpr std::int16_t kUnknownError = std::int16_t(0xEF00);
}  // namespace printer_error

class TPD4Comm {
public:
    static constexpr std::size_t kReplyBufferSize = 1025;
    static constexpr std::size_t kStagingSize = 1024;
    static constexpr std::size_t kPacketLimit = 1024;   // largest packet, header included
    static constexpr std::size_t kStagedPacket = 1000;  // print data leaves in 1000-byte packets

    TPD4Comm(TPPrinterDriver& port, Clock& clock, MessageHandler& ui);
    ~TPD4Comm();

    void SetModelCode(std::uint8_t c0, std::uint8_t c1);
    const std::array<std::uint8_t, 2>& modelCode() const { return modelCode_; }

    Status StartLink();
    Status SendCommand(const std::uint8_t* payload, std::size_t n);
    Status WriteData(const std::uint8_t* bytes, std::size_t n);
    Status FlushData();
    // Forgets print data staged but not sent (a print that failed part-way): nothing of it may
    // go out in front of a command sent afterwards.
    void DropStagedData() { staged_ = 0; }
    // Reads one packet of the print data channel; payload gets at most payloadCapacity bytes,
    // payloadLength the number copied.
    Status ReceiveData(std::uint8_t* payload, std::size_t payloadCapacity,
                       std::size_t& payloadLength);
    Status ControlTransact(const std::uint8_t* payload, std::size_t n);
    Status OpenChannel(std::uint8_t socket);
    Status CloseChannel(std::uint8_t socket, std::uint8_t flag);
    Status ExitTransport();
    // With false, requests are written and no reply is read: each exchange then returns
    // kTransportFailure with LastError link_error::kUnexpected (for a printer that has stopped
    // answering, so that the link's shut-down does not wait out a time-out per request).
    void SetAwaitReplies(bool await) { awaitReplies_ = await; }
    int IsChannelOpen(std::uint8_t socket) const;
    Detail LastError() const { return lastError_; }

    // Printer status (control channel).
    Status ReadStatus();
    Status SendRs();
    Status WaitUntilReady();
    Status WaitStatusReady();
    // Told true when a ready wait finds the printer not ready and starts polling (busy, printing,
    // "ST:08", paper out), and false when that wait ends, however it ends. A wait that finds the
    // printer ready at once tells nothing. The observer only watches: the wire traffic is the
    // same with or without one.
    void setWaitObserver(std::function<void(bool waiting)> observer) {
        waitObserver_ = std::move(observer);
    }
    // Asked between polls: once it says stop, every ready wait ends with kTransportFailure and
    // LastError link_error::kStopped instead of polling again. Null: never stops.
    void setStopRequest(const StopRequest* stop) { stop_ = stop; }
    // How long, in all, the ready waits of this link may wait out a printer error (paper out)
    // before they end with kPrinterError; 0 waits without limit. Setting it starts the count
    // afresh.
    void setErrorWaitLimitMs(std::int64_t ms) {
        errorWaitLimitMs_ = ms;
        errorWaitedMs_ = 0;
    }
    // True once the limit above has ended a wait.
    bool errorWaitExhausted() const {
        return errorWaitLimitMs_ > 0 && errorWaitedMs_ >= errorWaitLimitMs_;
    }
    std::int16_t PrinterState() const { return printerState_; }
    std::int16_t PrinterError() const { return printerError_; }
    std::uint8_t RawErrorCode() const { return rawErrorCode_; }
    // True when the last status reply carried an "ER:" field.
    bool HasErrorField() const { return hasErrorField_; }

    // EEPROM byte access (control channel, "||" requests).
    Status ReadEepromByte(std::uint8_t address, std::uint8_t& value);
    Status WriteEepromByte(std::uint8_t address, std::uint8_t value);
    // The 18 bytes of the USB ID (0xC2-0xD3), read once per link session and kept until the
    // session writes one of them (whatever the write's outcome) or a new session starts.
    Status ReadUsbIdBytes(std::string& bytes);
    // How many EEPROM reads this object has sent (for the benchmarks).
    std::size_t eepromReads() const { return eepromReads_; }

    // The reply payload of the last successful ControlTransact (zero-terminated in the buffer).
    const std::uint8_t* replyBuffer() const { return reply_.data(); }
    std::int32_t replyLength() const { return replyLength_; }
    // Payload bytes of the last packet read (its length less the 6-byte header).
    std::size_t replyPayloadLength() const;
    // The control reply payload as text, up to its first zero byte.
    std::string_view replyText() const;
    std::uint16_t DataCredit() const { return dataCredit_; }
    std::uint16_t PrinterCredit() const { return printerCredit_; }
    std::size_t stagedCount() const { return staged_; }

    TPPrinterDriver& port() { return port_; }
    Clock& clock() { return clock_; }
    MessageHandler& ui() { return ui_; }

private:
    Status EnterPacketMode();
    Status InitTransport();
    Status GrantCredit(std::uint8_t socket, std::uint16_t n);
    Status RequestCredit(std::uint8_t socket, std::uint16_t n);
    Status Transact(const std::uint8_t* request, std::size_t n);
    Status DecodeErrorReply();
    Status CheckWriteReply();
    Status WaitReady(bool sendInit);
    Status PollUntilReady(bool sendInit, bool& waited);

    Status fail(Detail detail);
    // Reads one packet into the reply buffer and checks its header length against what came.
    Status readPacket();
    bool hasReplyByte(std::size_t index) const;
    Status writePacket(std::uint8_t socket, const std::uint8_t* payload, std::size_t n);
    Status transactCommand(const std::vector<std::uint8_t>& request, std::uint8_t& result);
    void setChannelFlag(std::uint8_t socket, bool open);
    Status topUpCredit(std::uint16_t at, std::uint16_t amount);
    Status sendStaged();
    std::vector<std::uint8_t> eepromRequest(std::uint8_t command,
                                            std::initializer_list<std::uint8_t> params) const;

    TPPrinterDriver& port_;
    Clock& clock_;
    MessageHandler& ui_;
    std::array<std::uint8_t, 2> modelCode_{0, 0};
    std::array<std::uint8_t, kReplyBufferSize> reply_{};
    std::int32_t replyLength_ = 0;
    std::array<std::uint8_t, kPacketLimit> packet_{};
    std::unique_ptr<std::uint8_t[]> staging_;
    std::size_t staged_ = 0;
    std::uint16_t dataCredit_ = 0;
    std::uint16_t printerCredit_ = 0;
    bool controlOpen_ = false;
    std::optional<std::string> usbIdBytes_;
    std::size_t eepromReads_ = 0;
    bool dataOpen_ = false;
    Detail lastError_ = kNoError;
    std::function<void(bool)> waitObserver_;
    const StopRequest* stop_ = nullptr;
    std::int64_t errorWaitLimitMs_ = 0;
    std::int64_t errorWaitedMs_ = 0;
    std::int16_t printerState_ = printer_state::kUnknown;
    std::int16_t printerError_ = printer_error::kNone;
    std::uint8_t rawErrorCode_ = 0;
    bool hasErrorField_ = false;
    bool awaitReplies_ = true;
};

}  // namespace veltra
