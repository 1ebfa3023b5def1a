#pragma once
// Turns SIGINT and SIGTERM (on Windows: Ctrl-C, Ctrl-Break and the console window closing) into
// a stop request, which the link answers at its next safe point so that the program can still
// shut the link down and keep the virtual printer's EEPROM. A second signal ends the program at
// once, as without this handler.
#include "link/StopRequest.h"

namespace veltra::cli {

class SignalStop final : public StopRequest {
public:
    SignalStop();            // installs the handlers
    ~SignalStop() override;  // puts the previous handlers back
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    bool stopRequested() const override;
    // The program has shut down: a console window that is closing may now take the process.
    void finished();
};

}  // namespace veltra::cli
