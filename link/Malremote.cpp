#include "link/Malremote.h"

#include <array>

#include "link/CommandBytes.h"

namespace veltra {

namespace {

// ESC ( R, parameter length 8 (little-endian), 0x00, "REMOTE1".
constexpr std::array<std::uint8_t, 13> kEnterRemote{0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R',
                                                    'E',  'M',  'O',  'T',  'E',  '1'};
// ESC 00 00 00 leaves remote mode; ESC @ initialises the printer.
constexpr std::array<std::uint8_t, 6> kExitRemote{
    0x1B, 0x00, 0x00, 0x00, kInitialiseSequence[0], kInitialiseSequence[1]};
// "SN", parameter length 3 (little-endian), 0x00, then the two parameters.
constexpr std::uint8_t kSnParamLength = 3;

}  // namespace

Status TPRemote::EnterRemote() {
    return link_.SendCommand(kEnterRemote.data(), kEnterRemote.size());
}

Status TPRemote::RemoteSN(std::uint8_t p1, std::uint8_t p2) {
    const std::array<std::uint8_t, 7> frame{'S', 'N', kSnParamLength, 0x00, 0x00, p1, p2};
    return link_.SendCommand(frame.data(), frame.size());
}

Status TPRemote::ExitRemote() {
    return link_.SendCommand(kExitRemote.data(), kExitRemote.size());
}

}  // namespace veltra
