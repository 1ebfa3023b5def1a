#include "sim/VirtualPrinter.h"

#include <algorithm>
#include <limits>

#include "link/StartupChoice.h"
#include "sim/ControlChannel.h"
#include "sim/D4Device.h"
#include "sim/EepromImage.h"
#include "sim/FactoryFrame.h"
#include "sim/PrintStream.h"

namespace veltra::sim {

namespace {

constexpr std::uint8_t kStateReady = 0x04;
constexpr std::uint8_t kStateCleaning = 0x07;
constexpr std::uint8_t kInkChargeSequence = 6;
// The motor's readings: unit 3 leaves the base reading, unit 4 the base moved by the
// dispersion less the 192 that the program's offset of 576 adds over three readings.
constexpr int kCrBaseReading = 1000;
constexpr int kCrOffsetPerReading = 192;

std::pair<std::uint16_t, std::uint16_t> crReadingsFor(int dispersion) {
    return {std::uint16_t(kCrBaseReading + dispersion - kCrOffsetPerReading),
            std::uint16_t(kCrBaseReading)};
}

constexpr std::array<std::uint8_t, 7> kFullInks = {0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50};

int modelSlot(int modelIndex) {
    return modelIndex == 1 ? 1 : 0;
}

// EEPROM address of the black value of a SetBidValues kind code (colour at +1); 0 for none.
std::uint8_t bidAddress(std::uint8_t kindCode) {
    switch (kindCode) {
        case 1:
            return eeprom_addr::kBidVsd1;
        case 2:
            return eeprom_addr::kBidVsd2;
        case 3:
            return eeprom_addr::kBidVsd3;
        case 4:
            return eeprom_addr::kBidEco;
        default:
            return 0;
    }
}

}  // namespace

struct VirtualPrinter::Impl : ChannelListener {
    Impl(Clock& c, int index)
        : clock(c),
          model(modelSlot(index)),
          code{kModels[std::size_t(model)].code[0], kModels[std::size_t(model)].code[1]},
          eeprom(defaultEepromImage(model)),
          device(*this, faults),
          control(eeprom, code),
          stream([this](PrintCommand&& cmd) { onPrintCommand(std::move(cmd)); }) {}

    void onChannelData(std::uint8_t socket, const std::uint8_t* payload, std::size_t n) override {
        if (socket == d4::kControlSocket) {
            controlRequests.emplace_back(payload, payload + n);
            PrinterStatus status;
            status.state = currentState();
            status.error = error;
            status.inks = inks;
            status.malformed = faults.malformedStatus;
            status.eepromWriteLetter = faults.eepromWriteLetter;
            device.send(socket, control.handle(payload, n, status));
        } else {
            stream.feed(payload, n);
        }
    }

    void onChannelClosed(std::uint8_t socket) override {
        if (socket == d4::kDataSocket) {
            stream.reset();
        }
    }

    std::uint8_t currentState() const {
        return clock.nowMs() < busyUntilMs ? kStateCleaning : baseState;
    }

    void startCleaning(std::int64_t ms) { busyUntilMs = clock.nowMs() + ms; }

    void onPrintCommand(PrintCommand&& cmd) {
        cmd.atMs = clock.nowMs();
        printCommands.push_back(std::move(cmd));
        const PrintCommand& c = printCommands.back();
        if (c.kind == PrintCommand::Kind::Factory) {
            factoryCommands.push_back(factory::parseFactoryBody(c.bytes, code[0], code[1]));
            runFactory(factoryCommands.back());
        }
        if (printObserver) {
            printObserver(c);
        }
        if (c.kind == PrintCommand::Kind::FormFeed && !keepRecord) {
            printCommands.clear();
        }
    }

    void setBidSide(std::uint8_t address, std::int16_t value) {
        // Values travel as signed bytes widened to 16 bits; anything wider is not a Bi-D value.
        if (value == factory::kBidUnchanged || value < -127 || value > 127) {
            return;
        }
        eeprom[address] = static_cast<std::uint8_t>(value);
    }

    void runFactory(const FactoryCommand& f) {
        if (!f.modelCodeMatched || !f.checkBytesMatched) {
            return;  // another model's frame, or a damaged one: the printer does nothing
        }
        const auto& p = f.params;
        switch (f.command) {
            case factory::kSetBidValues:
                if (p.size() >= 5) {
                    const std::uint8_t address = bidAddress(p[0]);
                    if (address != 0) {
                        setBidSide(address, factory::le16(p, 1));
                        setBidSide(static_cast<std::uint8_t>(address + 1), factory::le16(p, 3));
                    }
                }
                break;
            case factory::kSetPfValue:
                if (!p.empty()) {
                    eeprom[eeprom_addr::kPf] = p[0];
                }
                break;
            case factory::kCleanCharge:
                if (!p.empty()) {
                    startCleaning(p[0] == kInkChargeSequence ? kInkChargeMs : kCleaningMs);
                }
                break;
            case factory::kReadEepromByteData:
                if (!p.empty()) {
                    const std::string reply = control::eepromReadText(p[0], eeprom[p[0]]);
                    device.send(d4::kDataSocket, {reply.begin(), reply.end()});
                }
                break;
            case factory::kMechSet:
                if (p.size() >= 4 && crReadings) {
                    if (p[0] == 4) {
                        writeBe16(eeprom, eeprom_addr::kCrReading, crReadings->first);
                    } else if (p[0] == 3) {
                        writeBe16(eeprom, eeprom_addr::kCrReading, crReadings->second);
                    }
                }
                break;
            default:
                break;  // recorded only: the printer's own business
        }
    }

    Clock& clock;
    int model;
    std::array<std::uint8_t, 2> code;
    Eeprom eeprom;
    Faults faults;
    std::uint8_t baseState = kStateReady;
    std::optional<std::uint8_t> error;
    std::int64_t busyUntilMs = std::numeric_limits<std::int64_t>::min();
    std::array<std::uint8_t, 7> inks = kFullInks;
    int crDispersion = kDefaultCrDispersion;
    std::optional<std::pair<std::uint16_t, std::uint16_t>> crReadings =
        crReadingsFor(kDefaultCrDispersion);
    std::vector<PrintCommand> printCommands;
    bool keepRecord = false;
    std::function<void(const PrintCommand&)> printObserver;
    std::function<void()> eepromObserver;
    std::vector<FactoryCommand> factoryCommands;
    std::vector<std::vector<std::uint8_t>> controlRequests;
    D4Device device;
    ControlChannel control;
    PrintStream stream;
};

VirtualPrinter::VirtualPrinter(Clock& clock, int modelIndex)
    : impl_(std::make_shared<Impl>(clock, modelIndex)) {}

void VirtualPrinter::hostWrite(const std::uint8_t* data, std::size_t n) {
    if (!impl_->eepromObserver) {
        impl_->device.receive(data, n);
        return;
    }
    const Eeprom before = impl_->eeprom;
    impl_->device.receive(data, n);
    if (impl_->eeprom != before) {
        impl_->eepromObserver();
    }
}

void VirtualPrinter::setEepromObserver(std::function<void()> observer) {
    impl_->eepromObserver = std::move(observer);
}

std::size_t VirtualPrinter::hostRead(std::uint8_t* out, std::size_t max) {
    return impl_->device.read(out, max);
}

std::size_t VirtualPrinter::pending() const {
    return impl_->device.pending();
}
std::size_t VirtualPrinter::pendingInPacket() const {
    return impl_->device.pendingInPacket();
}
bool VirtualPrinter::connected() const {
    return impl_->device.connected();
}

std::string VirtualPrinter::deviceId() const {
    const std::string name(kModels[std::size_t(impl_->model)].name);
    return "MFG:ZOLTA;CMD:D4,BDC;MDL:" + name + ";CLS:PRINTER;DES:ZOLTA " + name + ";";
}

std::array<std::uint8_t, 256>& VirtualPrinter::eeprom() {
    return impl_->eeprom;
}
const std::array<std::uint8_t, 256>& VirtualPrinter::eeprom() const {
    return impl_->eeprom;
}

std::array<std::uint8_t, 256> VirtualPrinter::defaultEeprom(int modelIndex) {
    return defaultEepromImage(modelIndex);
}

bool VirtualPrinter::loadEeprom(const std::string& path, std::string* why) {
    EepromImageRead read = loadEepromImage(path);
    if (!read.ok()) {
        if (why) {
            *why = std::move(read.error);
        }
        return false;
    }
    impl_->eeprom = read.image->bytes;
    return true;
}

bool VirtualPrinter::saveEeprom(const std::string& path) const {
    EepromImage image;
    image.bytes = impl_->eeprom;
    image.header.model = std::string(kModels[std::size_t(impl_->model)].name);
    image.header.deviceId = deviceId();
    image.header.usbId = printableText(usbIdText(impl_->eeprom));
    image.header.headId = headIdText(impl_->eeprom).value_or("");
    image.header.saved = localTimeText(impl_->clock.localTime());
    image.header.program = std::string(programVersionText());
    return saveEepromImage(image, path);
}

void VirtualPrinter::setState(std::uint8_t st) {
    impl_->baseState = st;
    impl_->busyUntilMs = std::numeric_limits<std::int64_t>::min();
}

std::uint8_t VirtualPrinter::state() const {
    return impl_->currentState();
}
void VirtualPrinter::setError(std::optional<std::uint8_t> er) {
    impl_->error = er;
}
std::optional<std::uint8_t> VirtualPrinter::error() const {
    return impl_->error;
}
void VirtualPrinter::pressInkSwitch() {
    impl_->startCleaning(kCleaningMs);
}
Faults& VirtualPrinter::faults() {
    return impl_->faults;
}

const std::vector<PrintCommand>& VirtualPrinter::printCommands() const {
    return impl_->printCommands;
}
const std::vector<FactoryCommand>& VirtualPrinter::factoryCommands() const {
    return impl_->factoryCommands;
}
const std::vector<std::vector<std::uint8_t>>& VirtualPrinter::controlRequests() const {
    return impl_->controlRequests;
}
std::size_t VirtualPrinter::hostPackets() const {
    return impl_->device.hostPackets();
}
void VirtualPrinter::keepPrintRecord(bool keep) {
    impl_->keepRecord = keep;
}

void VirtualPrinter::setPrintCommandObserver(std::function<void(const PrintCommand&)> observer) {
    impl_->printObserver = std::move(observer);
}

void VirtualPrinter::resetLink() {
    impl_->device.reset();
    impl_->stream.reset();
}

int VirtualPrinter::modelIndex() const {
    return impl_->model;
}
std::array<std::uint8_t, 2> VirtualPrinter::modelCode() const {
    return impl_->code;
}
void VirtualPrinter::setInkLevels(const std::array<std::uint8_t, 7>& inks) {
    impl_->inks = inks;
}

void VirtualPrinter::setCrMeasurementReading(std::uint16_t reading) {
    writeBe16(impl_->eeprom, eeprom_addr::kCrReading, reading);
}

void VirtualPrinter::setCrMeasurementReadings(std::uint16_t afterUnit4, std::uint16_t afterUnit3) {
    impl_->crReadings = std::make_pair(afterUnit4, afterUnit3);
}

void VirtualPrinter::setCrMotorDispersion(int dispersion) {
    impl_->crDispersion = std::clamp(dispersion, -kMaxCrDispersion, kMaxCrDispersion);
    impl_->crReadings = crReadingsFor(impl_->crDispersion);
}

int VirtualPrinter::crMotorDispersion() const {
    return impl_->crDispersion;
}

bool VirtualPrinter::inPacketMode() const {
    return impl_->device.inPacketMode();
}
bool VirtualPrinter::channelOpen(std::uint8_t socket) const {
    return impl_->device.channelOpen(socket);
}
std::uint64_t VirtualPrinter::creditForHost(std::uint8_t socket) const {
    return impl_->device.creditForHost(socket);
}
std::uint64_t VirtualPrinter::creditFromHost(std::uint8_t socket) const {
    return impl_->device.creditFromHost(socket);
}
std::size_t VirtualPrinter::hostOverruns() const {
    return impl_->device.hostOverruns();
}
std::size_t VirtualPrinter::heldPackets() const {
    return impl_->device.heldPackets();
}
std::size_t VirtualPrinter::malformedPackets() const {
    return impl_->device.malformedPackets();
}
std::size_t VirtualPrinter::rasterOverflowBytes() const {
    return impl_->stream.overflowBytes();
}

}  // namespace veltra::sim
