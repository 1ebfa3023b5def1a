#pragma once
// TPRemote: remote-mode frames on the print data channel. No state; each frame is one
// SendCommand and returns its status. Callers bracket: EnterRemote, remote commands, ExitRemote.
#include <cstdint>

#include "link/Mald4comm.h"

namespace veltra {

class TPRemote {
public:
    explicit TPRemote(TPD4Comm& link) : link_(link) {}
    Status EnterRemote();                               // ESC ( R 08 00 00 "REMOTE1"
    Status RemoteSN(std::uint8_t p1, std::uint8_t p2);  // "SN" 03 00 00 p1 p2
    Status ExitRemote();                                // ESC 00 00 00, ESC @

private:
    TPD4Comm& link_;
};

}  // namespace veltra
