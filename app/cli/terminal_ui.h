// The clone job's window replaced by text: messages and steps on a stream,
// and Ctrl-C / SIGTERM turned into a stop request to the job.
#pragma once

#include "app/engine/clone_job.h"
#include "app/engine/job_ui.h"
#include "app/engine/stop_signals.h"

#include <cstdio>
#include <string>

namespace dravik::cli {

// The signal handling the window shares (app/engine/stop_signals.h).
using engine::InstallStopSignals;
using engine::KeepConnectionsOnStopSignals;
// True once SIGINT or SIGTERM arrived, or the watched output was found closed.
bool StopSignalled();
// From now on a write to this stream that fails because its reader is gone
// (EPIPE; SIGPIPE is ignored by InstallStopSignals) counts as a stop signal.
void WatchOutput(std::FILE* stream);

class TerminalUi : public engine::JobUi {
public:
    // Messages and (when showSteps) step lines go to the stream.
    TerminalUi(std::FILE* stream, bool showSteps) : stream_(stream), showSteps_(showSteps) {}

    // The job a recorded signal asks to stop; from now on a first signal
    // no longer ends the program at once.
    void Attach(engine::TCloneJob& job);

    // "message: " + text.
    void ShowMessage(const std::string& text) override;
    // "step: " + the step's caption; nothing for an empty or unknown code.
    void ShowStep(const std::string& code) override;
    // Passes a recorded signal on to the job as RequestStop().
    void ProcessEvents() override;

private:
    std::FILE* stream_;
    bool showSteps_;
    engine::TCloneJob* job_ = nullptr;
};

}  // namespace dravik::cli
