#pragma once
// A printer port on Windows.
//
// "LPT1".."LPT3" open by that name. "ZTUSB1".."ZTUSB3" are looked up among the present device
// interfaces of the printer port driver's class: the first whose device key holds a "PortName"
// equal to "ZTUSB1:" (letter case aside) opens by its interface path. Without a match the port
// opens as the direct name "\\.\ZTUSB1:". Without that either, the n-th present interface of the
// system's own USB printer class serves "ZTUSBn". A device key that cannot be opened ends the
// search at once: the port does not open.
//
// The device ID comes from the port driver's device-ID request; a port that gives none is asked
// the system's own request as well: the USB printer class's IEEE 1284 ID request, or the parallel
// port driver's device-ID query. Every reply goes through the one device-ID reader (DeviceId.h).
//
// A USB port is opened for overlapped transfers, since its handle takes no transfer time-outs:
// each write and read waits on the program's clock until its time-out and is then cancelled, so
// that a silent printer ends in the link's time-out. A parallel port keeps the time-outs of its
// handle. A refused open or transfer keeps the system's error code and its words for it.
//
// Every system call goes through a Win32Calls table, so that the search and the transfers are
// the same code on every platform, and tests feed it device lists, registry values and replies.
// The table's types are its own: this header does not need <windows.h>.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/Clock.h"
#include "link/DeviceId.h"
#include "link/PortBackend.h"

namespace veltra::win32 {

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::array<std::uint8_t, 8> data4;
    friend bool operator==(const Guid&, const Guid&) = default;
};

// The printer port driver's own interface class.
inline constexpr Guid kPortDriverClass{
    0x762BB1B4, 0x5164, 0x11D1, {0xB0, 0x0B, 0x00, 0xC0, 0xD1, 0x57, 0x0F, 0x9E}};
// The system's USB printer class interface.
inline constexpr Guid kUsbPrintClass{
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

// Device-ID control codes: the port drivers' (USB, parallel), the USB printer class's IEEE 1284
// ID request (length first), and the system parallel port driver's device-ID query (the text
// and a NUL).
inline constexpr std::uint32_t kUsbPortDeviceIdCode = 0x221804;
inline constexpr std::uint32_t kParallelDeviceIdCode = 0x11;
inline constexpr std::uint32_t kUsbPrint1284IdCode = 0x220034;
inline constexpr std::uint32_t kParallelQueryDeviceIdCode = 0x16000C;

// Opaque system handles; 0 stands for "none" (the real table maps the invalid-handle values).
using Handle = std::uintptr_t;
using Transfer = std::uintptr_t;  // one overlapped write or read under way
using DeviceList = std::uintptr_t;
using RegistryKey = std::uintptr_t;

// One device of a device list, as the registry call needs it.
struct DeviceInfo {
    Guid classGuid{};
    std::uint32_t devInst = 0;
    std::uintptr_t reserved = 0;
};

struct DeviceInterface {
    std::string path;  // what CreateFile opens
    DeviceInfo device;
};

enum class Enumerated { Ok, DetailFailed, End };

// The transfer time-outs of a handle, in milliseconds (COMMTIMEOUTS).
struct TransferTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readPerByte = 0;
    std::uint32_t readConstant = 0;
    std::uint32_t writePerByte = 0;
    std::uint32_t writeConstant = 0;
    friend bool operator==(const TransferTimeouts&, const TransferTimeouts&) = default;
};

struct Win32Calls {
    // SetupDiGetClassDevs: the present devices with an interface of the class; 0 when the list
    // cannot be had.
    std::function<DeviceList(const Guid& interfaceClass)> listDevices;
    // SetupDiEnumDeviceInterfaces and SetupDiGetDeviceInterfaceDetail for interface number index.
    std::function<Enumerated(DeviceList, const Guid& interfaceClass, std::uint32_t index,
                             DeviceInterface& out)>
        interfaceAt;
    std::function<void(DeviceList)> destroyList;
    // SetupDiOpenDevRegKey on the device's hardware key, for reading; 0 when it fails.
    std::function<RegistryKey(DeviceList, const DeviceInfo&)> openDeviceKey;
    // RegQueryValueEx of a string value (at most 64 bytes); nullopt when the read fails.
    std::function<std::optional<std::string>(RegistryKey, std::string_view name)> readString;
    std::function<void(RegistryKey)> closeKey;

    // CreateFile with read and write access, shared, open-existing, with or without overlapped
    // transfers; 0 when it fails.
    std::function<Handle(const std::string& name, bool overlapped)> openFile;
    std::function<void(Handle)> closeHandle;
    // Get/SetCommTimeouts; false where the handle does not take time-outs.
    std::function<bool(Handle, TransferTimeouts&)> getTimeouts;
    std::function<bool(Handle, const TransferTimeouts&)> setTimeouts;
    // WriteFile and ReadFile in one call each; false when the system refused the call.
    std::function<bool(Handle, const std::uint8_t* data, std::uint32_t n, std::uint32_t& done)>
        writeFile;
    std::function<bool(Handle, std::uint8_t* data, std::uint32_t n, std::uint32_t& done)> readFile;
    // DeviceIoControl without input; false when the driver refused the request.
    std::function<bool(Handle, std::uint32_t code, std::uint8_t* out, std::uint32_t size,
                       std::uint32_t& returned)>
        deviceControl;

    // Overlapped WriteFile and ReadFile on a handle opened for them: the transfer under way, or
    // 0 when the system refused it at once.
    std::function<Transfer(Handle, const std::uint8_t* data, std::uint32_t n)> startWrite;
    std::function<Transfer(Handle, std::uint8_t* data, std::uint32_t n)> startRead;
    // WaitForSingleObject on the transfer: true once it has ended, false after waitMs.
    std::function<bool(Transfer, std::uint32_t waitMs)> waitTransfer;
    // CancelIoEx of that transfer alone.
    std::function<void(Transfer)> cancelTransfer;
    // GetOverlappedResult, waiting for the end (which a cancel brings at once), then frees the
    // transfer: the bytes it moved, and false when it failed or was cancelled.
    std::function<bool(Transfer, std::uint32_t& done)> finishTransfer;

    // GetLastError, and FormatMessage's words for an error code.
    std::function<std::uint32_t()> lastError;
    std::function<std::string(std::uint32_t code)> errorText;
};

#ifdef _WIN32
// The table of the real system calls.
Win32Calls systemCalls();
#endif

// The registry value that names a port driver's port.
inline constexpr std::string_view kPortNameValue = "PortName";

// The port name of a USB interface code as the port driver spells it ("ZTUSB1:"); empty for
// other codes.
std::string usbPortName(std::uint16_t interfaceCode);

// The errno-like number that chooses the advice after a failed open (0 when none fits).
int errnoOfSystemError(std::uint32_t code);

}  // namespace veltra::win32

namespace veltra {

class Win32PortBackend final : public PortBackend {
public:
    // path empty: the port of this interface code, found as described above. The overlapped
    // transfers measure their time-outs on clock, which must outlive the backend.
    Win32PortBackend(const Clock& clock, win32::Win32Calls calls, std::uint16_t interfaceCode,
                     std::string path = {});
    ~Win32PortBackend() override;

    bool open() override;
    void close() override;
    long write(const std::uint8_t* data, std::size_t n, int timeoutMs) override;
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) override;
    std::vector<std::uint8_t> deviceId() override;
    OpenFailure openFailure() const override { return openFailure_; }
    std::string transferFailure() const override { return transferFailure_; }

    // The name the open port was opened by; empty while closed.
    const std::string& openedName() const { return openedName_; }

private:
    enum class Search { Opened, NotFound, Failed };
    Search openByPortName(const std::string& portName);
    bool openByClassIndex(std::uint32_t index);
    bool openName(const std::string& name);
    bool isUsb() const;
    // The system's words for an error code, with the code.
    std::string systemReason(std::uint32_t code) const;
    // Keeps the system's reason for what just failed.
    void noteOpenFailure(const std::string& what);
    void noteTransferFailure();
    void applyTimeouts(const win32::TransferTimeouts& t);
    // A write or read of n bytes through overlapped transfers, each started by start (at the
    // count done so far, for count bytes), waited for until the time-out's deadline and cancelled
    // there. Without exact, the first transfer that moved bytes ends it.
    using StartTransfer = std::function<win32::Transfer(std::size_t done, std::uint32_t count)>;
    long overlappedTransfer(std::size_t n, bool exact, int timeoutMs, const StartTransfer& start);
    std::vector<std::uint8_t> askDeviceId(std::uint32_t code, DeviceIdForm form);

    const Clock& clock_;
    win32::Win32Calls calls_;
    std::uint16_t interfaceCode_;
    std::string explicitPath_;
    win32::Handle handle_ = 0;
    std::string openedName_;
    bool takesTimeouts_ = false;
    bool overlapped_ = false;
    OpenFailure openFailure_;
    std::string transferFailure_;
};

}  // namespace veltra
