#include "cli/StopSignals.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace veltra::cli {

namespace {

// The one flag a signal handler may set; lock-free, so it is safe from a handler and from the
// console's handler thread on Windows.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

#ifdef _WIN32
// Set once the program has shut down; the close handler waits on it, since the system ends the
// process as soon as that handler returns.
HANDLE finishedEvent = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            // A second Ctrl-C goes on to the default handler, which ends the program at once.
            return stopSignal.exchange(1) == 0 ? TRUE : FALSE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            stopSignal.store(1);
            // The system allows about 5 s after a close before it ends the process.
            if (finishedEvent != nullptr) {
                WaitForSingleObject(finishedEvent, 4500);
            }
            return TRUE;
        default:
            return FALSE;
    }
}
#else
struct sigaction previousInt {};
struct sigaction previousTerm {};

void onSignal(int signal) {
    stopSignal.store(signal);
}
#endif

}  // namespace

SignalStop::SignalStop() {
    stopSignal.store(0);
#ifdef _WIN32
    finishedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // The handler is reset after the first signal: a second one ends the program at once.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
#endif
}

SignalStop::~SignalStop() {
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    finished();
#else
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
#endif
}

bool SignalStop::stopRequested() const {
    return stopSignal.load() != 0;
}

void SignalStop::finished() {
#ifdef _WIN32
    if (finishedEvent != nullptr) {
        SetEvent(finishedEvent);
    }
#endif
}

}  // namespace veltra::cli
