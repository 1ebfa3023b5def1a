#pragma once
// A printer port on a Linux device node.
//
// "LPT1".."LPT3" are <dev>/lp0..lp2; their device ID comes from the parallel port's probe in
// <proc>/sys/dev/parport/parportN/autoprobe (or autoprobe0..3, the first that holds text).
// "ZTUSB1".."ZTUSB3" are the USB printer-class devices <sysfs>/class/usbmisc/lp* in name order,
// opened as <dev>/usb/<entry>; their device ID comes from the device's ieee1284_id attribute,
// or from the printer-class device-ID ioctl where the attribute is missing. An explicit path
// opens that node; its device ID is looked up the same way by the node's name (lpN).
//
// A time-out is one deadline per transfer on the program's Clock (see FdStream). A terminal device
// (for example a pseudo-terminal standing in for a printer) is switched to raw mode on open.
#include <string>

#include "link/FdStream.h"

namespace veltra {

struct DeviceRoots {
    std::string sys = "/sys";
    std::string proc = "/proc";
    std::string dev = "/dev";
};

class LinuxDeviceBackend final : public FdPortBackend {
public:
    // path empty: the default device node of the port with this interface code.
    LinuxDeviceBackend(Clock& clock, DeviceRoots roots, std::uint16_t interfaceCode,
                       std::string path = {});

    bool open() override;
    void close() override;
    bool drain(int timeoutMs) override { return stream_.drain(timeoutMs); }
    std::vector<std::uint8_t> deviceId() override;

    // The node that open() used or would use; empty when the port has no device.
    std::string resolvePath() const;

private:
    bool isUsb() const;
    std::vector<std::uint8_t> usbDeviceId(const std::string& entry);
    std::vector<std::uint8_t> parallelDeviceId(const std::string& entry) const;

    DeviceRoots roots_;
    std::uint16_t interfaceCode_;
    std::string explicitPath_;
    std::string openedPath_;
};

// The USB printer-class entries (lp0, lp1, ...) under <sys>/class/usbmisc, in name order with
// numbers compared as numbers.
std::vector<std::string> usbPrinterEntries(const std::string& sysRoot);

}  // namespace veltra
