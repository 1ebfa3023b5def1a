#include "procedures/EepromBackup.h"

#include "codes/Malheadid.h"
#include "link/EepromAddresses.h"
#include "link/HexText.h"

namespace veltra {

namespace a = eeprom_address;

std::string Hex2(std::uint8_t value) {
    return hexByte(value);
}

Status ReadAllEeprom(TPD4Comm& link, EepromBytes& out, const ByteStep& step) {
    for (std::size_t address = 0; address < out.size(); ++address) {
        VELTRA_TRY(link.ReadEepromByte(std::uint8_t(address), out[address]));
        if (step) {
            step();
        }
    }
    return kOk;
}

std::string_view OpenPortName(const TPPrinterDriver& driver) {
    for (const PortInfo& port : kPorts) {
        if (driver.isOpen() && port.interfaceCode == driver.interfaceCode()) {
            return port.name;
        }
    }
    return {};
}

EepromImage ImageOfPrinter(const ProgramObjects& objects, const EepromBytes& bytes) {
    EepromImage image;
    image.bytes = bytes;
    const ModelInfo* model = objects.choice.model();
    image.header.model = model ? std::string(model->name) : std::string();
    const auto& id = objects.driver.deviceId();
    image.header.deviceId = std::string(id.begin(), id.end());
    image.header.usbId = printableText(
        std::string_view(reinterpret_cast<const char*>(bytes.data()) + a::kUsbId, a::kUsbIdLength));
    HeadIdValues values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = bytes[kHeadIdAddresses[i]];
    }
    std::array<char, kHeadIdLength + 1> headId{};
    if (HeadIdFromValues(values, headId).ok()) {
        image.header.headId = headId.data();
    }
    image.header.saved = localTimeText(objects.clock.localTime());
    image.header.program = std::string(programVersionText());
    return image;
}

const ModelInfo* ModelOfDeviceId(std::string_view deviceId) {
    // Fields are "KEY:value;" pairs; the model is under MDL or MODEL.
    while (!deviceId.empty()) {
        const std::size_t end = deviceId.find(';');
        const std::string_view field = deviceId.substr(0, end);
        const std::size_t colon = field.find(':');
        if (colon != std::string_view::npos) {
            const std::string_view key = field.substr(0, colon);
            const std::string_view value = field.substr(colon + 1);
            if (key == "MDL" || key == "MODEL") {
                for (const ModelInfo& m : kModels) {
                    const std::string_view shortName = m.name.substr(m.name.rfind(' ') + 1);
                    if (value.find(shortName) != std::string_view::npos) {
                        return &m;
                    }
                }
                return nullptr;
            }
        }
        if (end == std::string_view::npos) {
            break;
        }
        deviceId.remove_prefix(end + 1);
    }
    return nullptr;
}

const ModelInfo* ModelOfSetting(std::uint8_t b0) {
    for (const ModelInfo& m : kModels) {
        if (m.eepromInitB0 == b0) {
            return &m;
        }
    }
    return nullptr;
}

std::string ModelMismatch(const ProgramObjects& objects, std::string_view imageModel,
                          std::uint8_t printerB0) {
    const std::string image(imageModel.empty() ? "no model" : imageModel);
    const ModelInfo* chosen = objects.choice.model();
    if (!chosen || chosen->name != imageModel) {
        return "it is of " + image + " and the chosen model is " +
               (chosen ? std::string(chosen->name) : std::string("none"));
    }
    if (const ModelInfo* m = ModelOfSetting(printerB0); m && m != chosen) {
        return "it is of " + image + " and the printer's model setting at B0 (" + Hex2(printerB0) +
               ") is that of " + std::string(m->name);
    }
    const auto& id = objects.driver.deviceId();
    const std::string_view idText(reinterpret_cast<const char*>(id.data()), id.size());
    if (const ModelInfo* m = ModelOfDeviceId(idText); m && m != chosen) {
        return "it is of " + image + " and the printer's device ID names " + std::string(m->name);
    }
    return {};
}

std::vector<ByteChange> EepromDifferences(const EepromBytes& printer, const EepromBytes& wanted) {
    std::vector<ByteChange> changes;
    for (std::size_t address = 0; address < printer.size(); ++address) {
        if (printer[address] != wanted[address]) {
            changes.push_back({std::uint8_t(address), printer[address], wanted[address]});
        }
    }
    return changes;
}

bool LinkMayStillAnswer(const ProgramObjects& objects, Status failed) {
    const Detail port = objects.driver.LastError();
    return !(failed == kPortFailure &&
             (port == port_error::kWrite || port == port_error::kWriteTime));
}

void ReadBackFailedByte(ProgramObjects& objects, WriteBackResult& result) {
    if (std::uint8_t held = 0; result.writeFailed && LinkMayStillAnswer(objects, result.status) &&
                               objects.link.ReadEepromByte(*result.failedAt, held) == kOk) {
        result.heldAtFailure = held;
    }
}

WriteBackResult WriteBack(ProgramObjects& objects, const std::vector<ByteChange>& changes,
                          bool finishPending, const ByteStep& step) {
    WriteBackResult result;
    result.finishValuesNeeded = finishPending;
    for (const ByteChange& c : changes) {
        result.status = objects.link.WriteEepromByte(c.address, c.want);
        if (result.status != kOk) {
            result.failedAt = c.address;
            result.writeFailed = true;
            result.refused = objects.link.LastError() == link_error::kBusy ||
                             objects.link.LastError() == link_error::kRefused;
            return result;
        }
        ++result.written;
        if (step) {
            step();
        }
        result.finishValuesNeeded = result.finishValuesNeeded || a::isAdjustmentValue(c.address);
    }
    if (result.finishValuesNeeded) {
        if (result.status = objects.factory.FinishValues(); result.status != kOk) {
            result.failedAtFinishValues = true;
            return result;
        }
        result.finishValuesAcknowledged = true;
    }
    for (std::size_t i = 0; i < result.written; ++i) {
        std::uint8_t value = 0;
        result.status = objects.link.ReadEepromByte(changes[i].address, value);
        if (result.status != kOk) {
            result.failedAt = changes[i].address;
            return result;
        }
        result.readBack.push_back(value);
        if (step) {
            step();
        }
        if (value != changes[i].want && !result.mismatchAt) {
            result.mismatchAt = changes[i].address;
        }
    }
    return result;
}

}  // namespace veltra
