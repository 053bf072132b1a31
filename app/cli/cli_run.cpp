#include "app/cli/cli_run.h"

#include "app/cli/cli_options.h"
#include "app/cli/compare_command.h"
#include "app/cli/selection.h"
#include "app/cli/terminal_ui.h"
#include "app/engine/clone_job.h"
#include "app/engine/output_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

int Outcome(const engine::JobReport& report, bool stopOnError, std::FILE* err) {
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
    const std::int64_t refused = report.refusedRows;
    if (report.errorLines == 0 && refused == 0) return kExitClean;
    if (report.errorLines > 0)
        std::fprintf(err, "dravik-clone: finished with %d error line%s in the run log\n", report.errorLines,
                     report.errorLines == 1 ? "" : "s");
    // Refused rows are counted in the progress lines and in their tables'
    // red lines; the figures here are their sums, as the destination holds them.
    if (refused > 0)
        std::fprintf(err, "dravik-clone: %s row%s refused; the tables that refused rows hold %s rows%s\n",
                     std::to_string(refused).c_str(), refused == 1 ? "" : "s",
                     std::to_string(report.rowsBesideRefusals).c_str(),
                     stopOnError ? " (--stop-on-error: each one's copy ended at its first refusal)" : "");
    return kExitErrors;
}

// The database names the command line gives, as the job spells them.
std::vector<std::string> NamedDatabases(const engine::JobSettings& s) {
    std::vector<std::string> names = {(s.srcRemote ? s.srcServer + ":" : "") + s.srcPath};
    if (!s.dstPath.empty()) names.push_back((s.dstRemote ? s.dstServer + ":" : "") + s.dstPath);
    return names;
}

// Closes the log file; one that could not be written (a full disk, a closed
// pipe) is a red line on stderr and makes a clean run's status 1.
int CloseLog(std::FILE* log, const std::string& path, int status, std::FILE* err) {
    const bool writeFailed = std::ferror(log) != 0;
    const bool flushFailed = std::fflush(log) != 0;
    const int error = errno;
    const bool closeFailed = std::fclose(log) != 0;
    if (!writeFailed && !flushFailed && !closeFailed) return status;
    const bool colours = WantColours(err);
    std::fprintf(err, "%sdravik-clone: the log file '%s' could not be written%s%s%s\n", colours ? "\x1b[31m" : "",
                 path.c_str(), flushFailed ? ": " : "", flushFailed ? std::strerror(error) : "",
                 colours ? "\x1b[0m" : "");
    return std::max(status, static_cast<int>(kExitErrors));
}

int RunJob(const CliOptions& options, std::FILE* out, std::FILE* err, std::FILE* logFile) {
    // Verbose runs show under a red line the statement that failed. On a
    // terminal a table's progress is one line redrawn in place.
    const bool live = isatty(fileno(out)) != 0;
    engine::TerminalSink terminalLog(out, WantColours(out), options.verbose, live);
    engine::TerminalSink fileLog(logFile ? logFile : out, false, options.verbose);
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
            if (logFile) PrintOffered(job, logFile);
            return kExitClean;
        }
        if (const std::string missing = ApplyChoices(job, options); !missing.empty()) return BadInput(err, missing);
        if (const std::string wrong = job.CheckCodePageNames(); !wrong.empty()) return BadInput(err, wrong);
        if (options.verbose) {
            job.WriteJobSummary("");
            Flush(summaryLog, err);
        }
        if (StopSignalled()) return kExitStopped;
        WatchOutput(out);  // a closed run log output stops the job

        const engine::JobReport report = job.RunJob();
        Flush(summaryLog, err);
        return Outcome(report, !options.settings.ignoreErrors, err);
    } catch (const std::exception& e) {
        // An error no step guards (an unreachable source, a failed reconnection).
        std::fprintf(err, "dravik-clone: %s\n", e.what());
        return kExitFailed;
    }
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
    // A file asked for with --log gets the run log too, progress lines and
    // all. It is checked with the other arguments, before anything is opened.
    std::FILE* logFile = nullptr;
    if (!options.logFile.empty()) {
        const std::string refused =
            engine::RefusedOutputFile("the log file", options.logFile, NamedDatabases(options.settings));
        if (!refused.empty()) return BadInput(err, refused);
        logFile = std::fopen(options.logFile.c_str(), "w");
        if (!logFile) return BadInput(err, "cannot write the log file '" + options.logFile + "'");
    }
    const int status = options.compare ? RunCompare(options, out, err, logFile) : RunJob(options, out, err, logFile);
    return logFile ? CloseLog(logFile, options.logFile, status, err) : status;
}

}  // namespace dravik::cli
