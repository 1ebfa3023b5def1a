#pragma once
// The backend factory of the program: which PortBackend serves a port, by its URI.
//   ""          the port's own device: on Linux its default device node (LinuxDeviceBackend),
//               on Windows the port found as the port driver names it (Win32PortBackend)
//   "unix:PATH" a Unix stream socket (UnixSocketBackend), where the platform has them
//   "sim"       the in-process virtual printer, made by simFactory (none when it is empty)
//   other       that device path
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/LinuxDeviceBackend.h"
#include "link/Malprinterdriver.h"
#include "link/UnixSocketBackend.h"

namespace veltra {

inline constexpr const char* kUnixUriPrefix = "unix:";
inline constexpr const char* kSimUri = "sim";

// Why a "unix:" port does not open where the platform has no Unix stream sockets.
inline constexpr std::string_view kNotSupportedHere = "not supported on this system";

#ifdef _WIN32
inline constexpr bool kHaveUnixSockets = false;
#else
inline constexpr bool kHaveUnixSockets = true;
#endif

// The device and socket backends measure their time-outs on clock, which must outlive them;
// roots only matter to the Linux device nodes.
BackendFactory makeBackendFactory(Clock& clock, DeviceRoots roots = {},
                                  std::function<std::unique_ptr<PortBackend>()> simFactory = {});

// The system's reason for a port that could not be opened and what to do about it, for the
// person at the keyboard ("" when nothing is known). choosePort ends the advice to choose
// another port: how the front end offers that (e.g. "with --device").
std::string OpenFailureText(const OpenFailure& failure, std::string_view choosePort);

}  // namespace veltra
