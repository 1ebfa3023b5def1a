// Records the seed corpora of the fuzz targets from real runs against the virtual printer:
//   veltra-fuzz-seeds OUTDIR      (writes OUTDIR/<target>/<name>)
// fuzz_link gets the replies of the link operations as arrivals, fuzz_replies the reply
// payloads, fuzz_vprinter what the host sent, fuzz_print_stream the print data channel's bytes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzPort.h"
#include "fuzz/LinkScript.h"
#include "link/Malremote.h"
#include "patterns/Malcheckpattern.h"
#include "patterns/Malraster.h"
#include "sim/SimPortBackend.h"
#include "sim/VirtualPrinter.h"

using namespace veltra;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The virtual printer's port, keeping every read as an arrival and every write.
class RecordingBackend final : public PortBackend {
public:
    RecordingBackend(sim::VirtualPrinter& printer, Clock& clock, Bytes& arrivals, Bytes& written,
                     Bytes& readLog)
        : inner_(printer, clock), arrivals_(arrivals), written_(written), readLog_(readLog) {}
    bool open() override { return inner_.open(); }
    void close() override { inner_.close(); }
    long write(const std::uint8_t* data, std::size_t n, int timeoutMs) override {
        const long r = inner_.write(data, n, timeoutMs);
        if (r > 0) {
            written_.insert(written_.end(), data, data + r);
        }
        return r;
    }
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) override {
        const long r = inner_.read(data, n, exact, timeoutMs);
        fuzz::appendArrival(arrivals_, data, r > 0 ? std::size_t(r) : 0);
        if (r > 0) {
            readLog_.insert(readLog_.end(), data, data + r);
        }
        return r;
    }
    std::vector<std::uint8_t> deviceId() override { return inner_.deviceId(); }

private:
    sim::SimPortBackend inner_;
    Bytes& arrivals_;
    Bytes& written_;
    Bytes& readLog_;
};

struct Session {
    explicit Session(bool usb)
        : printer(clock, 0),
          driver(clock, choice,
                 [this](std::uint16_t, const std::string&) -> std::unique_ptr<PortBackend> {
                     return std::make_unique<RecordingBackend>(printer, clock, arrivals, written,
                                                               readLog);
                 }),
          link(driver, clock, ui),
          factory(link) {
        fuzz::setUpChoice(choice, usb);
    }
    ManualClock clock;
    fuzz::QuietHandler ui;
    StartupChoice choice;
    sim::VirtualPrinter printer;
    Bytes arrivals;
    Bytes written;
    Bytes readLog;
    TPPrinterDriver driver;
    TPD4Comm link;
    TPFactory factory;
};

// The payloads of the packets on one socket in a byte stream of whole packets.
Bytes payloadsOn(const Bytes& stream, std::uint8_t socket, std::size_t limit) {
    Bytes out;
    std::size_t at = 0;
    while (at + 6 <= stream.size() && out.size() < limit) {
        const std::size_t total = std::size_t(stream[at + 2]) * 256 + stream[at + 3];
        if (total < 6 || at + total > stream.size()) {
            break;
        }
        if (stream[at] == socket && stream[at + 1] == socket) {
            out.insert(out.end(), stream.begin() + std::ptrdiff_t(at + 6),
                       stream.begin() + std::ptrdiff_t(at + total));
        }
        at += total;
    }
    if (out.size() > limit) {
        out.resize(limit);
    }
    return out;
}

void save(const std::filesystem::path& dir, const std::string& target, const std::string& name,
          std::uint8_t first, const Bytes& body) {
    std::filesystem::create_directories(dir / target);
    std::ofstream f(dir / target / name, std::ios::binary);
    f.put(char(first));
    f.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
    std::printf("%s/%s: %zu bytes\n", target.c_str(), name.c_str(), body.size() + 1);
}

Bytes replyPayload(const TPD4Comm& link) {
    return Bytes(link.replyBuffer(), link.replyBuffer() + link.replyPayloadLength());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: veltra-fuzz-seeds OUTDIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];

    // The link operations on each kind of port, and with the printer refusing an EEPROM write.
    for (const bool usb : {false, true}) {
        Session s(usb);
        fuzz::runLinkScript(s.driver, s.link, s.factory,
                            usb ? fuzz::kUsbPort : fuzz::kParallelPort);
        save(out, "fuzz_link", usb ? "usb_session" : "parallel_session", usb ? 1 : 0, s.arrivals);
        save(out, "fuzz_vprinter", usb ? "usb_session" : "parallel_session", 0, s.written);
        if (!usb) {
            save(out, "fuzz_print_stream", "factory_frame_and_data", 0,
                 payloadsOn(s.written, kDataSocket, 4096));
        }
    }
    {
        Session s(false);
        s.printer.faults().eepromWriteLetter = 'B';
        s.printer.setError(0x04);  // paper jam: the ready wait ends on a printer error
        fuzz::runLinkScript(s.driver, s.link, s.factory, fuzz::kParallelPort);
        save(out, "fuzz_link", "busy_paper_jam", 0, s.arrivals);
    }

    // Reply payloads, one per parser.
    {
        Session s(false);
        s.link.SetModelCode(kModels[0].code[0], kModels[0].code[1]);
        s.factory.SetModelCode(kModels[0].code[0], kModels[0].code[1]);
        s.driver.OpenPort(fuzz::kParallelPort);
        s.link.StartLink();
        s.link.ReadStatus();
        save(out, "fuzz_replies", "status", 0, replyPayload(s.link));
        std::uint8_t v = 0;
        s.link.ReadEepromByte(0x10, v);
        save(out, "fuzz_replies", "eeprom_read", 1, replyPayload(s.link));
        s.link.WriteEepromByte(0x10, v);
        save(out, "fuzz_replies", "eeprom_write", 2, replyPayload(s.link));
        s.readLog.clear();
        s.factory.ReadEepromByteData(0x20, v);
        save(out, "fuzz_replies", "factory_read", 3, payloadsOn(s.readLog, kDataSocket, 1024));
    }

    // A pattern print: the host stream and its print data channel.
    {
        Session s(false);
        s.link.SetModelCode(kModels[0].code[0], kModels[0].code[1]);
        s.factory.SetModelCode(kModels[0].code[0], kModels[0].code[1]);
        s.driver.OpenPort(fuzz::kParallelPort);
        s.link.StartLink();
        TPRaster raster(s.link, s.factory, s.ui);
        raster.HeadAngular();
        constexpr std::size_t kSeedLimit = 4096;
        save(out, "fuzz_print_stream", "head_angle_pattern", 0,
             payloadsOn(s.written, kDataSocket, kSeedLimit));
        Bytes host = s.written;
        host.resize(std::min(host.size(), kSeedLimit));
        save(out, "fuzz_vprinter", "head_angle_pattern", 0, host);
    }
    return 0;
}
