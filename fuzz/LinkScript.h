#pragma once
// The operations the link fuzz target runs, in one place so that the seed recorder runs the
// same ones against the virtual printer: packet-mode entry, Init and the control channel
// (StartLink), status, EEPROM read and write, a factory read and a factory command on the print
// data channel with its credit, "rs", a ready wait, print data, channel close and Exit. Each
// step runs whatever the one before returned, so the fuzzer reaches every reply parser.
#include <array>
#include <cstdint>

#include "link/Mald4comm.h"
#include "link/Malfactory.h"
#include "link/Malprinterdriver.h"
#include "link/StartupChoice.h"

namespace veltra::fuzz {

inline constexpr std::uint16_t kParallelPort = 0x401;  // LPT1
inline constexpr std::uint16_t kUsbPort = 0x501;       // ZTUSB1

inline void setUpChoice(StartupChoice& choice, bool usb) {
    choice.modelIndex = 0;
    choice.ModelNo = kModels[0].number;
    choice.PortKind = usb ? kUsbKind : kParallelKind;
}

inline void runLinkScript(TPPrinterDriver& driver, TPD4Comm& link, TPFactory& factory,
                          std::uint16_t port) {
    link.SetModelCode(kModels[0].code[0], kModels[0].code[1]);
    factory.SetModelCode(kModels[0].code[0], kModels[0].code[1]);
    driver.OpenPort(port);
    link.StartLink();
    link.ReadStatus();
    std::uint8_t value = 0;
    link.ReadEepromByte(0x10, value);
    link.WriteEepromByte(0x10, value);
    factory.ReadEepromByteData(0x20, value);
    factory.SetPfValue(3);
    link.SendRs();
    link.WaitStatusReady();
    std::array<std::uint8_t, 300> data{};
    data.fill(0x55);
    link.WriteData(data.data(), data.size());
    link.FlushData();
    link.CloseChannel(kDataSocket, 0x00);
    link.CloseChannel(kControlSocket, 0x00);
    link.ExitTransport();
}

}  // namespace veltra::fuzz
