#pragma once
// Whether the user has asked the program to stop (Ctrl-C, a termination signal, the console
// window closing). Asked only where an operation can end cleanly, between the polls of a ready
// wait, so that the link can still be shut down in its close order afterwards.
namespace veltra {

class StopRequest {
public:
    virtual ~StopRequest() = default;
    virtual bool stopRequested() const = 0;
};

}  // namespace veltra
