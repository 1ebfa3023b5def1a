// The real Win32 calls behind Win32Calls. Each entry is one system call (two for the interface
// detail, which reports its size first) and maps the system's types to the table's own.
#include <windows.h>
// <windows.h> first: the set-up API header builds on it.
#include <setupapi.h>

#include <array>
#include <memory>
#include <vector>

#include "link/Win32PortBackend.h"

namespace veltra::win32 {

namespace {

// Device key values hold at most this many bytes.
constexpr DWORD kRegistryStringMax = 64;

GUID toGuid(const Guid& g) {
    GUID out{};
    out.Data1 = g.data1;
    out.Data2 = g.data2;
    out.Data3 = g.data3;
    for (std::size_t i = 0; i < g.data4.size(); ++i) {
        out.Data4[i] = g.data4[i];
    }
    return out;
}

Guid fromGuid(const GUID& g) {
    Guid out{g.Data1, g.Data2, g.Data3, {}};
    for (std::size_t i = 0; i < out.data4.size(); ++i) {
        out.data4[i] = g.Data4[i];
    }
    return out;
}

SP_DEVINFO_DATA toDevInfo(const DeviceInfo& d) {
    SP_DEVINFO_DATA out{};
    out.cbSize = sizeof(out);
    out.ClassGuid = toGuid(d.classGuid);
    out.DevInst = d.devInst;
    out.Reserved = d.reserved;
    return out;
}

HDEVINFO toList(DeviceList list) {
    return reinterpret_cast<HDEVINFO>(list);
}

HANDLE toHandle(Handle h) {
    return reinterpret_cast<HANDLE>(h);
}

DeviceList listDevices(const Guid& interfaceClass) {
    const GUID cls = toGuid(interfaceClass);
    const HDEVINFO list =
        SetupDiGetClassDevsA(&cls, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    return list == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<DeviceList>(list);
}

Enumerated interfaceAt(DeviceList list, const Guid& interfaceClass, std::uint32_t index,
                       DeviceInterface& out) {
    const GUID cls = toGuid(interfaceClass);
    SP_DEVICE_INTERFACE_DATA itf{};
    itf.cbSize = sizeof(itf);
    if (!SetupDiEnumDeviceInterfaces(toList(list), nullptr, &cls, index, &itf)) {
        return Enumerated::End;
    }
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailA(toList(list), &itf, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        return Enumerated::DetailFailed;
    }
    // The detail record is a header followed by the path; keep it aligned for the header.
    std::vector<std::uint64_t> storage((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    if (!SetupDiGetDeviceInterfaceDetailA(toList(list), &itf, detail, size, nullptr, &device)) {
        return Enumerated::DetailFailed;
    }
    out.path = detail->DevicePath;
    out.device = DeviceInfo{fromGuid(device.ClassGuid), device.DevInst, device.Reserved};
    return Enumerated::Ok;
}

void destroyList(DeviceList list) {
    SetupDiDestroyDeviceInfoList(toList(list));
}

RegistryKey openDeviceKey(DeviceList list, const DeviceInfo& device) {
    SP_DEVINFO_DATA d = toDevInfo(device);
    // Read access is all the search needs, and all that a technician without administrator
    // rights is granted on a device key.
    const HKEY key =
        SetupDiOpenDevRegKey(toList(list), &d, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    return key == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<RegistryKey>(key);
}

std::optional<std::string> readString(RegistryKey key, std::string_view name) {
    std::array<char, kRegistryStringMax + 1> buffer{};  // zero-filled, one NUL to spare
    DWORD type = 0;
    DWORD size = kRegistryStringMax;
    const std::string valueName(name);
    if (RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    return std::string(buffer.data());
}

void closeKey(RegistryKey key) {
    RegCloseKey(reinterpret_cast<HKEY>(key));
}

Handle openFile(const std::string& name, bool overlapped) {
    const HANDLE h =
        CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
    return h == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<Handle>(h);
}

void closeHandle(Handle h) {
    CloseHandle(toHandle(h));
}

bool getTimeouts(Handle h, TransferTimeouts& out) {
    COMMTIMEOUTS t{};
    if (!GetCommTimeouts(toHandle(h), &t)) {
        return false;
    }
    out = TransferTimeouts{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                           t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                           t.WriteTotalTimeoutConstant};
    return true;
}

bool setTimeouts(Handle h, const TransferTimeouts& in) {
    COMMTIMEOUTS t{in.readInterval, in.readPerByte, in.readConstant, in.writePerByte,
                   in.writeConstant};
    return SetCommTimeouts(toHandle(h), &t) != 0;
}

bool writeFile(Handle h, const std::uint8_t* data, std::uint32_t n, std::uint32_t& done) {
    DWORD written = 0;
    const BOOL ok = WriteFile(toHandle(h), data, n, &written, nullptr);
    done = written;
    return ok != 0;
}

bool readFile(Handle h, std::uint8_t* data, std::uint32_t n, std::uint32_t& done) {
    DWORD got = 0;
    const BOOL ok = ReadFile(toHandle(h), data, n, &got, nullptr);
    done = got;
    return ok != 0;
}

// One overlapped transfer: its record and the event it signals. A handle opened without
// overlapped transfers ignores the record and completes the call before it returns.
struct Pending {
    explicit Pending(HANDLE h) : handle(h) {
        ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~Pending() {
        if (ov.hEvent != nullptr) {
            CloseHandle(ov.hEvent);
        }
    }
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;

    HANDLE handle;
    OVERLAPPED ov{};
};

// Whether a call that returned ok (or failed with the last error) is under way or done.
bool started(BOOL ok) {
    return ok != 0 || GetLastError() == ERROR_IO_PENDING;
}

// The outcome of a started transfer, waiting for its end; keeps the last error across the
// clean-up.
bool result(Pending& p, std::uint32_t& done) {
    DWORD got = 0;
    const BOOL ok = GetOverlappedResult(p.handle, &p.ov, &got, TRUE);
    const DWORD error = GetLastError();
    done = got;
    SetLastError(error);
    return ok != 0;
}

bool deviceControl(Handle h, std::uint32_t code, std::uint8_t* out, std::uint32_t size,
                   std::uint32_t& returned) {
    Pending p(toHandle(h));
    returned = 0;
    if (p.ov.hEvent == nullptr ||
        !started(DeviceIoControl(p.handle, code, nullptr, 0, out, size, nullptr, &p.ov))) {
        return false;
    }
    return result(p, returned);
}

Transfer startTransfer(Handle h, const std::function<BOOL(HANDLE, OVERLAPPED*)>& call) {
    auto p = std::make_unique<Pending>(toHandle(h));
    if (p->ov.hEvent == nullptr || !started(call(p->handle, &p->ov))) {
        const DWORD error = GetLastError();
        p.reset();
        SetLastError(error);
        return 0;
    }
    return reinterpret_cast<Transfer>(p.release());
}

Transfer startWrite(Handle h, const std::uint8_t* data, std::uint32_t n) {
    return startTransfer(h, [&](HANDLE handle, OVERLAPPED* ov) {
        // A plain file standing in for a port is written at its end; a device has no offset.
        ov->Offset = 0xFFFFFFFF;
        ov->OffsetHigh = 0xFFFFFFFF;
        return WriteFile(handle, data, n, nullptr, ov);
    });
}

Transfer startRead(Handle h, std::uint8_t* data, std::uint32_t n) {
    return startTransfer(
        h, [&](HANDLE handle, OVERLAPPED* ov) { return ReadFile(handle, data, n, nullptr, ov); });
}

bool waitTransfer(Transfer t, std::uint32_t waitMs) {
    return WaitForSingleObject(reinterpret_cast<Pending*>(t)->ov.hEvent, waitMs) == WAIT_OBJECT_0;
}

void cancelTransfer(Transfer t) {
    auto* p = reinterpret_cast<Pending*>(t);
    CancelIoEx(p->handle, &p->ov);
}

bool finishTransfer(Transfer t, std::uint32_t& done) {
    const std::unique_ptr<Pending> p(reinterpret_cast<Pending*>(t));
    return result(*p, done);
}

std::uint32_t lastError() {
    return GetLastError();
}

std::string errorText(std::uint32_t code) {
    std::array<char, 512> buffer{};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, buffer.data(), DWORD(buffer.size()), nullptr);
    return std::string(buffer.data(), n);
}

}  // namespace

Win32Calls systemCalls() {
    return Win32Calls{listDevices,  interfaceAt,    destroyList,    openDeviceKey, readString,
                      closeKey,     openFile,       closeHandle,    getTimeouts,   setTimeouts,
                      writeFile,    readFile,       deviceControl,  startWrite,    startRead,
                      waitTransfer, cancelTransfer, finishTransfer, lastError,     errorText};
}

}  // namespace veltra::win32
