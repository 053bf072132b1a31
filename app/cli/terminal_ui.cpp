#include "app/cli/terminal_ui.h"

#include "app/engine/steps.h"
#include "db/fb_api.h"

#include <unistd.h>

#include <csignal>

namespace dravik::cli {

namespace {

volatile std::sig_atomic_t stopSignals = 0;
// Until a job is attached nothing has been opened that a stop must close
// (the arguments are being read, a password file may be a FIFO nobody
// writes to): a signal then ends the program at once.
volatile std::sig_atomic_t endAtOnce = 1;
std::FILE* watchedOutput = nullptr;

// Only async-signal-safe work here: the first signal is recorded and read by
// ProcessEvents after the next log line or object; a second one, or one
// before the job, ends the program at once, with the status of a stop.
void OnStopSignal(int) {
    if (stopSignals || endAtOnce) _exit(130);
    stopSignals = 1;
}

// A write to the watched output failed: its reader is gone (or it cannot
// take the run log any more).
bool OutputClosed() { return watchedOutput && std::ferror(watchedOutput); }

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
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void WatchOutput(std::FILE* stream) { watchedOutput = stream; }

bool StopSignalled() {
    if (!stopSignals && OutputClosed()) stopSignals = 1;
    return stopSignals != 0;
}

void TerminalUi::Attach(engine::TCloneJob& job) {
    job_ = &job;
    endAtOnce = 0;
}

void TerminalUi::ShowMessage(const std::string& text) {
    std::fprintf(stream_, "message: %s\n", text.c_str());
    std::fflush(stream_);
}

void TerminalUi::ShowStep(const std::string& code) {
    if (!showSteps_) return;
    const int i = engine::FindStep(code);
    if (i < 0) return;
    std::fprintf(stream_, "step: %s\n", engine::StepList()[static_cast<size_t>(i)].caption.c_str());
    std::fflush(stream_);
}

void TerminalUi::ProcessEvents() {
    if (job_ && StopSignalled()) job_->RequestStop();
}

}  // namespace dravik::cli
