#include "app/cli/cli_run.h"

#include "app/cli/cli_options.h"
#include "app/cli/compare_command.h"
#include "app/cli/json_report.h"
#include "app/cli/selection.h"
#include "app/cli/terminal_ui.h"
#include "app/engine/clone_job.h"
#include "app/engine/database_location.h"
#include "app/engine/output_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <memory>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#ifndef DRAVIK_VERSION
#define DRAVIK_VERSION "unknown"
#endif

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

int Outcome(const engine::JobReport& report, bool stopOnError, std::FILE* err, RunRecord& record) {
    record.job = report;
    switch (report.outcome) {
    case engine::JobOutcome::DestinationFailed:
        record.outcome = "destination not created";
        std::fprintf(err, "dravik-clone: the destination database was not created\n");
        return kExitFailed;
    case engine::JobOutcome::Failed:
        record.outcome = "failed midway";
        std::fprintf(err, "dravik-clone: the job failed midway; the destination is incomplete\n");
        return kExitIncomplete;
    case engine::JobOutcome::Stopped:
        record.outcome = "stopped";
        std::fprintf(err, "dravik-clone: stopped; the destination holds what was done up to then\n");
        return kExitStopped;
    case engine::JobOutcome::Finished:
        break;
    }
    record.outcome = "finished";
    const std::vector<std::string> problems = engine::ProblemLines(report, stopOnError);
    if (problems.empty()) return kExitClean;
    record.outcome = "finished with errors";
    for (const std::string& line : problems) std::fprintf(err, "dravik-clone: %s\n", line.c_str());
    return kExitErrors;
}

// The database names the command line gives, as the job spells them.
std::vector<std::string> NamedDatabases(const engine::JobSettings& s) {
    std::vector<std::string> names = {engine::DatabaseName(s.srcRemote, s.srcServer, s.srcPath)};
    if (!s.dstPath.empty()) names.push_back(engine::DatabaseName(s.dstRemote, s.dstServer, s.dstPath));
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

// --list, the clone, and what each tells the report.
int RunJob(const CliOptions& options, std::FILE* out, std::FILE* err, std::FILE* logFile, RunRecord& record) {
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
        job.settings.countRowsForProgress = live;

        job.HoldSourceOpen();
        job.LoadFrames();
        Flush(summaryLog, err);  // a listing query that failed has said so here
        if (options.list) {
            record.offered = PrintOffered(job, out);
            if (logFile) PrintOffered(job, logFile);
            record.outcome = "listed";
            return kExitClean;
        }
        for (const std::string& refusal : {ApplyChoices(job, options), job.CheckCodePageNames()})
            if (!refusal.empty()) {
                record.message = refusal;
                return BadInput(err, refusal);
            }
        if (options.verbose) {
            job.WriteJobSummary("");
            Flush(summaryLog, err);
        }
        if (StopSignalled()) {
            record.outcome = "stopped";
            return kExitStopped;
        }
        WatchOutput(out);  // a closed run log output stops the job

        const engine::JobReport report = job.RunJob();
        Flush(summaryLog, err);
        return Outcome(report, !options.settings.ignoreErrors, err, record);
    } catch (const std::exception& e) {
        // An error no step guards (an unreachable source, a failed reconnection).
        std::fprintf(err, "dravik-clone: %s\n", e.what());
        record.outcome = "not started";
        record.message = e.what();
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
    if (options.version) {
        std::fprintf(out, "dravik-clone %s\n", DRAVIK_VERSION);
        return kExitClean;
    }
    // The files asked for with --log (the run log, progress lines and all)
    // and --report are checked with the other arguments, before anything is
    // opened.
    const std::vector<std::string> databases = NamedDatabases(options.settings);
    for (const auto& [what, file] : {std::pair{"the log file", options.logFile}, {"the report", options.reportFile}})
        if (!file.empty())
            if (const std::string refused = engine::RefusedOutputFile(what, file, databases); !refused.empty())
                return BadInput(err, refused);
    if (!options.logFile.empty() && !options.reportFile.empty() &&
        engine::SameLocalFile(options.logFile, options.reportFile))
        return BadInput(err, "the log file and the report cannot be one file");
    std::FILE* logFile = nullptr;
    if (!options.logFile.empty()) {
        logFile = std::fopen(options.logFile.c_str(), "w");
        if (!logFile) return BadInput(err, "cannot write the log file '" + options.logFile + "'");
    }
    RunRecord record;
    record.command = options.compare ? "compare" : options.list ? "list" : "clone";
    record.started = std::time(nullptr);
    int status = options.compare ? RunCompare(options, out, err, record, logFile)
                                 : RunJob(options, out, err, logFile, record);
    if (logFile) status = CloseLog(logFile, options.logFile, status, err);
    record.finished = std::time(nullptr);
    record.exitStatus = status;
    if (!options.reportFile.empty()) {
        std::string reportError;
        if (!WriteReport(options, record, reportError)) {
            std::fprintf(err, "dravik-clone: %s\n", reportError.c_str());
            status = std::max(status, static_cast<int>(kExitErrors));
        }
    }
    return status;
}

}  // namespace dravik::cli
