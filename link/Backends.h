#pragma once
// The backend factory of the program: which PortBackend serves a port, by its URI.
//   ""          the port's default Linux device node (LinuxDeviceBackend)
//   "unix:PATH" a Unix stream socket (UnixSocketBackend)
//   "sim"       the in-process virtual printer, made by simFactory (none when it is empty)
//   other       that device path (LinuxDeviceBackend)
#include <functional>
#include <memory>

#include "link/LinuxDeviceBackend.h"
#include "link/Malprinterdriver.h"
#include "link/UnixSocketBackend.h"

namespace veltra {

inline constexpr const char* kUnixUriPrefix = "unix:";
inline constexpr const char* kSimUri = "sim";

// The device and socket backends measure their time-outs on clock, which must outlive them.
BackendFactory makeBackendFactory(const Clock& clock, DeviceRoots roots = {},
                                  std::function<std::unique_ptr<PortBackend>()> simFactory = {});

}  // namespace veltra
