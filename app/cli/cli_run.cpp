#include "app/cli/cli_run.h"

#include "app/cli/cli_options.h"
#include "app/cli/compare_command.h"
#include "app/cli/selection.h"
#include "app/cli/terminal_ui.h"
#include "app/engine/clone_job.h"

#include <unistd.h>

#include <memory>
#include <cstdlib>
#include <exception>
#include <string>

namespace dravik::cli {

namespace {

// ANSI colours only for a terminal, and never when NO_COLOR is set.
bool WantColours(std::FILE* stream) {
    const char* noColour = std::getenv("NO_COLOR");
    return isatty(fileno(stream)) && !(noColour && *noColour);
}

int BadInput(std::FILE* err, const std::string& message) {
    std::fprintf(err, "dravik-clone: %s\nTry 'dravik-clone --help' for more information.\n", message.c_str());
    return kExitFailed;
}

// Writes what a memory sink collected to a stream, then forgets it.
void Flush(engine::MemorySink& sink, std::FILE* stream) {
    engine::TerminalSink terminal(stream, WantColours(stream));
    for (const engine::LogEntry& entry : sink.entries) terminal.Append(entry);
    sink.Clear();
}

bool NarrowsObjects(const CliOptions& o) {
    for (const ObjectChoice* c : {&o.udfs, &o.domains, &o.generators, &o.exceptions, &o.procedures, &o.tables, &o.views})
        if (!c->all) return true;
    return false;
}

int Outcome(const engine::JobReport& report, std::FILE* err) {
    switch (report.outcome) {
    case engine::JobOutcome::DestinationFailed:
        std::fprintf(err, "dravik-clone: the destination database was not created\n");
        return kExitFailed;
    case engine::JobOutcome::Failed:
        std::fprintf(err, "dravik-clone: the job failed midway; the destination is incomplete\n");
        return kExitIncomplete;
    case engine::JobOutcome::Stopped:
        std::fprintf(err, "dravik-clone: stopped; the destination holds what was done up to then\n");
        return kExitStopped;
    case engine::JobOutcome::Finished:
        break;
    }
    const std::vector<std::string> problems = engine::ProblemLines(report);
    if (problems.empty()) return kExitClean;
    for (const std::string& line : problems) std::fprintf(err, "dravik-clone: %s\n", line.c_str());
    return kExitErrors;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::string error;
    const std::optional<CliOptions> parsed = ParseCommandLine(args, error);
    if (!parsed) return BadInput(err, error);
    const CliOptions& options = *parsed;
    if (options.help) {
        std::fputs(HelpText().c_str(), out);
        return kExitClean;
    }
    if (options.compare) return RunCompare(options, out, err);

    // A file asked for with --log gets the run log too, progress lines and all.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> logFile(nullptr, &std::fclose);
    if (!options.logFile.empty()) {
        logFile.reset(std::fopen(options.logFile.c_str(), "w"));
        if (!logFile) return BadInput(err, "cannot write the log file '" + options.logFile + "'");
    }
    // Verbose runs show under a red line the statement that failed. On a
    // terminal a table's progress is one line redrawn in place.
    const bool live = isatty(fileno(out)) != 0;
    engine::TerminalSink terminalLog(out, WantColours(out), options.verbose, live);
    engine::TerminalSink fileLog(logFile ? logFile.get() : out, false, options.verbose);
    engine::TeeSink bothLogs(terminalLog, fileLog);
    engine::LogSink& runLog = logFile ? static_cast<engine::LogSink&>(bothLogs) : terminalLog;
    engine::MemorySink summaryLog;
    TerminalUi ui(err, options.verbose);
    try {
        engine::TCloneJob job(runLog, summaryLog, ui);  // loads the client library
        KeepConnectionsOnStopSignals();
        ui.Attach(job);
        job.settings = options.settings;
        job.settings.copyAll = !NarrowsObjects(options);
        job.settings.countRowsForProgress = live;

        job.LoadFrames();
        Flush(summaryLog, err);  // a listing query that failed has said so here
        if (options.list) {
            PrintOffered(job, out);
            return kExitClean;
        }
        if (const std::string missing = ApplyChoices(job, options); !missing.empty()) return BadInput(err, missing);
        if (options.verbose) {
            job.WriteJobSummary("");
            Flush(summaryLog, err);
        }
        if (StopSignalled()) return kExitStopped;
        WatchOutput(out);  // a closed run log output stops the job

        const engine::JobReport report = job.RunJob();
        Flush(summaryLog, err);
        return Outcome(report, err);
    } catch (const std::exception& e) {
        // An error no step guards (an unreachable source, a failed reconnection).
        std::fprintf(err, "dravik-clone: %s\n", e.what());
        return kExitFailed;
    }
}

}  // namespace dravik::cli
