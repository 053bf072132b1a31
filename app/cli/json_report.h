// dravik-clone --report FILE: one JSON document that says how a run ended,
// for scripts that run clones unattended (cron, CI). Written once the run
// ends, whichever way it ends; it never holds a password.
#pragma once

#include "app/cli/cli_options.h"
#include "app/engine/job_report.h"
#include "verify/compare.h"

#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dravik::cli {

// Everything the report tells; the parts a command did not produce stay empty.
struct RunRecord {
    std::string command;  // "clone", "compare" or "list"
    std::time_t started = 0, finished = 0;
    int exitStatus = 0;
    std::string outcome = "not started";  // in words: "finished", "stopped", "equal", "different" ...
    std::string message;  // what stopped the run before its job (an unreadable source ...)
    std::optional<engine::JobReport> job;          // a clone that ran
    std::optional<verify::Comparison> comparison;  // --compare
    std::map<std::string, std::vector<std::string>> offered;  // --list: page title -> objects
};

// The report as text (pretty-printed JSON).
std::string ReportText(const CliOptions& options, const RunRecord& record);

// Writes the report to options.reportFile; false with `error` set when it
// cannot be written whole.
bool WriteReport(const CliOptions& options, const RunRecord& record, std::string& error);

}  // namespace dravik::cli
