#pragma once
// Starting and ending the link, as the start-up window's "OK" and the adjustment window's close
// do it; the command line runs the same steps.
#include "procedures/ProgramObjects.h"

namespace veltra {

enum class StartOutcome {
    Started,
    NoChoice,    // model or interface not chosen: nothing happens
    OpenFailed,  // "Cannot open port."
    LinkFailed,  // "Communication error." (the port stays open)
};

// modelIndex 0/1 (or -1 for none), portIndex 0..5 (or -1). Sets the model code in the factory
// layer and the transport, opens the port (closing one still open) and starts the link.
StartOutcome StartSession(ProgramObjects& objects, int modelIndex, int portIndex);

// The close order: unless the printer was asked to be switched off (transLiquidDone), close the
// print data channel, "rs", close the control channel, leave packet mode, 100 ms apart, each
// result ignored; then close the port.
void EndSession(ProgramObjects& objects, bool transLiquidDone);

}  // namespace veltra
