#pragma once
// The one reader of an IEEE 1284 device ID for every port backend. Drivers hand the ID over in
// three forms: bare text (a sysfs attribute, a parallel port's probe), text behind a two-byte
// length that counts itself (the USB printer-class request), or either of the two (requests whose
// form the driver chooses). Whatever the form, the reader:
//   - reads the length big-endian, or little-endian where that is the only reading that fits;
//   - clamps a length that runs past the reply to the reply;
//   - ends the text at its first NUL and drops trailing line ends and blanks;
//   - refuses an ID shorter than the least one that names a maker and a model ("MFG:x;MDL:y;"),
//     and one that holds any other control character.
// A refused ID reads as empty, as one the driver never gave.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace veltra {

enum class DeviceIdForm { Bare, LengthFirst, Either };

inline constexpr std::size_t kDeviceIdLengthBytes = 2;
// The shortest ID that can name a maker and a model: "MFG:x;MDL:y;".
inline constexpr std::size_t kDeviceIdMinimum = 12;

std::vector<std::uint8_t> readDeviceId(const std::uint8_t* reply, std::size_t n, DeviceIdForm form);

}  // namespace veltra
