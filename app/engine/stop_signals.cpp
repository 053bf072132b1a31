#include "app/engine/stop_signals.h"

#include "db/fb_api.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace dravik::engine {

namespace {

volatile std::sig_atomic_t stopSignals = 0;
volatile std::sig_atomic_t endAtOnce = 0;
std::atomic<int> attachesWaiting{0};
int wakePipe[2] = {-1, -1};

// Only async-signal-safe work here: the first signal is recorded, and read
// after the next log line, object or event-loop turn; a second one ends the
// program at once, with the status of a stop.
void OnStopSignal(int) {
    if (stopSignals || endAtOnce || attachesWaiting.load() > 0) _exit(130);
    stopSignals = 1;
    if (wakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
    }
}

// Vetoes the client library's shutdown when a signal asked for it.
int RefuseSignalShutdown(const int reason, const int phase, void*) {
    return phase == fb_shut_confirmation && reason == fb_shutrsn_signal ? 1 : 0;
}

}  // namespace

void KeepConnectionsOnStopSignals() {
    static const bool registered = [] {
        const db::FbApi& api = db::Api();
        if (!api.shutdown_callback) return false;
        ISC_STATUS_ARRAY status{};
        return api.shutdown_callback(status, RefuseSignalShutdown, fb_shut_confirmation, nullptr) == 0;
    }();
    (void)registered;
}

void InstallStopSignals() {
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = wakePipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void StopSignalsEndAtOnce(bool atOnce) { endAtOnce = atOnce ? 1 : 0; }

bool StopSignalArrived() { return stopSignals != 0; }

void RecordStopSignal() { stopSignals = 1; }

int StopSignalFd() { return wakePipe[0]; }

AttachWait::AttachWait() { ++attachesWaiting; }

AttachWait::~AttachWait() { --attachesWaiting; }

}  // namespace dravik::engine
