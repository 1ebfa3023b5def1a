#pragma once
// The virtual printer: the printer's side of the port, written from what the program relies on.
// It speaks the IEEE 1284.4 device side (packet-mode entry, Init, OpenChannel, CloseChannel,
// Credit, CreditRequest, Exit, Error packets), answers the control channel ("st", "||" read and
// write, "rs"), and parses the print data channel (remote mode, factory frames ESC |, raster
// commands). It keeps a 256-byte EEPROM and runs on the program's Clock.
//
// Bytes flow through hostWrite (host to printer) and hostRead (printer to host); a complete
// packet is processed as soon as its last byte has arrived, and its reply queued.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/Clock.h"

namespace veltra::sim {

// One command parsed from the print data stream, kept for the page renderer and for tests.
struct PrintCommand {
    enum class Kind {
        Text,          // printable bytes in text mode, up to and including a zero byte
        Init,          // ESC @
        GraphicsMode,  // ESC ( G
        Unit,          // ESC ( U
        Direction,     // ESC U
        DotSize,       // ESC ( e
        ColorMode,     // ESC ( K
        CarriageReturn,
        LineFeed,
        FormFeed,
        VerticalMove,    // ESC ( v
        HorizontalMove,  // ESC $
        Resolution,      // ESC ( D
        RasterBand,      // ESC i header plus its decoded lines
        PaperSize,       // ESC ( S
        PageFormat,      // ESC ( c
        EnterRemote,
        RemoteCommand,  // two letters + parameters, inside remote mode
        ExitRemote,
        Factory,  // ESC | frame
        Unknown,
    };
    Kind kind = Kind::Unknown;
    // The command's parameter bytes: Text the characters without the closing zero byte;
    // ESC ( commands what follows the count; Direction n; HorizontalMove lo hi; RasterBand the
    // seven header bytes c k b nL nH mL mH; EnterRemote 00 "REMOTE1"; RemoteCommand the two
    // letters then the parameters; ExitRemote the two bytes after ESC 00; Factory the frame
    // body from the model code on (see sim/FactoryFrame.h); Unknown what follows the ESC.
    std::vector<std::uint8_t> bytes;
    // RasterBand only: colour byte, bytes per line, and the decompressed lines.
    std::uint8_t colour = 0;
    int bytesPerLine = 0;
    std::vector<std::vector<std::uint8_t>> lines;
    std::int64_t atMs = 0;  // clock time when received
};

// A factory frame as received: command byte and parameters (model code checked separately).
struct FactoryCommand {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> params;
    bool modelCodeMatched = true;
    bool checkBytesMatched = true;  // c XOR 0xFF and c rotated right follow from c
};

// States the printer can be put in ("ST:" values) and faults to inject.
struct Faults {
    bool noReply = false;  // swallow requests, answer nothing
    // 0x80-0x87: the next host packet is answered by an Error packet with this code instead of
    // being carried out; the fault then clears itself.
    std::optional<std::uint8_t> errorPacket;
    std::optional<char> eepromWriteLetter;  // 'B' or 'N' for EEPROM writes
    bool malformedStatus = false;           // status reply without "ST:"/"IQ:"
    // The connection drops once N host packets have come (counted from creation or the last
    // resetLink); replies already queued can still be read.
    std::optional<int> dropAfterPackets;
    // Once N host packets have come since the packet-mode entry, later ones are taken as
    // noReply takes them: a printer that stops answering mid-session, in every session.
    std::optional<int> silentAfterPackets;
    std::optional<std::uint8_t> packetModeResult;  // result byte for the packet-mode entry
    // When set, only a packet on this socket (0 transport, 2 control, 0x40 print data) draws
    // the errorPacket; without it the next packet of any socket does.
    std::optional<std::uint8_t> errorPacketSocket;
};

class VirtualPrinter {
public:
    VirtualPrinter(Clock& clock, int modelIndex);  // 0 K55, 1 K45

    // Host side.
    void hostWrite(const std::uint8_t* data, std::size_t n);
    std::size_t hostRead(std::uint8_t* out, std::size_t max);
    std::size_t pending() const;
    bool connected() const;        // false once a dropAfterPackets fault has fired
    std::string deviceId() const;  // IEEE 1284 device ID text

    // EEPROM.
    std::array<std::uint8_t, 256>& eeprom();
    const std::array<std::uint8_t, 256>& eeprom() const;
    static std::array<std::uint8_t, 256> defaultEeprom(int modelIndex);
    // An EEPROM image file (link/EepromImageFile.h) or 256 raw bytes. On failure the EEPROM is
    // left as it was and why, if given, gets one line saying what is wrong with the file.
    bool loadEeprom(const std::string& path, std::string* why = nullptr);
    // Saves the image file with the printer's identity in its header.
    bool saveEeprom(const std::string& path) const;
    // Called after host data that changed the EEPROM has been carried out (a write request, a
    // factory command that stores a value). An empty function stops the calls.
    void setEepromObserver(std::function<void()> observer);

    // State ("ST:" value) and error ("ER:" value, absent when none).
    void setState(std::uint8_t st);
    std::uint8_t state() const;
    void setError(std::optional<std::uint8_t> er);
    std::optional<std::uint8_t> error() const;
    void pressInkSwitch();  // runs a cleaning ("ST:07") for a few virtual seconds
    Faults& faults();

    // What the printer received. The print commands of a page are released once the page has
    // been ejected (its form feed seen by the observer, which renders it), so that a printer
    // that runs for long holds one page at most; keepPrintRecord(true) keeps every command
    // (tests that look back across pages).
    const std::vector<PrintCommand>& printCommands() const;
    void keepPrintRecord(bool keep);
    const std::vector<FactoryCommand>& factoryCommands() const;
    const std::vector<std::vector<std::uint8_t>>& controlRequests() const;  // payloads
    std::size_t hostPackets() const;  // packets received from the host
    // Called with each print command as it is recorded, in stream order (the page renderer
    // follows the stream with it). An empty function stops the calls.
    void setPrintCommandObserver(std::function<void(const PrintCommand&)> observer);

    // Additions for the port backend, the socket server and tests.
    std::size_t pendingInPacket() const;  // bytes left of the packet at the front of the queue
    // The cable is plugged in afresh: out of packet mode, channels closed, queues and the
    // half-parsed print stream dropped; the drop fault counts packets from here. The EEPROM,
    // state, error and faults stay.
    void resetLink();
    int modelIndex() const;
    std::array<std::uint8_t, 2> modelCode() const;
    void setInkLevels(const std::array<std::uint8_t, 7>& inks);  // the "IQ:" values
    // The CR motor measurement reading at 0x7E-0x7F (EEPROM bytes, high byte first).
    void setCrMeasurementReading(std::uint16_t reading);
    // Readings that the measuring moves leave: MechSet of unit 4 stores the first, MechSet of
    // unit 3 the second.
    void setCrMeasurementReadings(std::uint16_t afterUnit4, std::uint16_t afterUnit3);
    // The carriage motor's drive dispersion: sets the readings so that the measurement
    // ((576 + sum after unit 4 - sum after unit 3) / 3) comes out at exactly this value. A new
    // printer's motor has kDefaultCrDispersion; beyond +-45 the program writes its out-of-range
    // mark.
    static constexpr int kDefaultCrDispersion = 12;
    static constexpr int kMaxCrDispersion = 127;
    void setCrMotorDispersion(int dispersion);  // clamped to +-kMaxCrDispersion
    int crMotorDispersion() const;
    bool inPacketMode() const;
    bool channelOpen(std::uint8_t socket) const;
    std::uint64_t creditForHost(std::uint8_t socket) const;   // packets the host may still send
    std::uint64_t creditFromHost(std::uint8_t socket) const;  // packets the printer may still send
    std::size_t hostOverruns() const;         // channel packets the host sent beyond its credit
    std::size_t heldPackets() const;          // print data replies waiting for the host's credit
    std::size_t malformedPackets() const;     // packets answered with Error 0x80
    std::size_t rasterOverflowBytes() const;  // run-coded bytes beyond their band, dropped

    static constexpr std::int64_t kCleaningMs = 5000;    // ink switch, CleanCharge(4)
    static constexpr std::int64_t kInkChargeMs = 10000;  // CleanCharge(6)

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace veltra::sim
