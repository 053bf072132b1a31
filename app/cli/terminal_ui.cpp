#include "app/cli/terminal_ui.h"

#include "app/engine/steps.h"

namespace dravik::cli {

namespace {

std::FILE* watchedOutput = nullptr;

// A write to the watched output failed: its reader is gone (or it cannot
// take the run log any more).
bool OutputClosed() { return watchedOutput && std::ferror(watchedOutput); }

}  // namespace

void WatchOutput(std::FILE* stream) { watchedOutput = stream; }

bool StopSignalled() {
    if (!engine::StopSignalArrived() && OutputClosed()) engine::RecordStopSignal();
    return engine::StopSignalArrived();
}

void TerminalUi::Attach(engine::TCloneJob& job) {
    job_ = &job;
    engine::StopSignalsEndAtOnce(false);
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
