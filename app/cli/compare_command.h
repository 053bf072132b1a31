// dravik-clone --compare SOURCE DESTINATION: compares two existing databases,
// catalogue and every table's rows, and copies nothing.
#pragma once

#include "app/cli/cli_options.h"
#include "app/cli/json_report.h"

#include <cstdio>

namespace dravik::cli {

// Attaches both databases with character set NONE and the options'
// credentials, compares them and prints each difference on a line of its
// own (stdout, and the log file when there is one), or one line saying they
// are equal, and keeps the comparison for the report. Returns 0 when equal,
// 1 when they differ, 2 when either cannot be read (the reason on stderr).
int RunCompare(const CliOptions& options, std::FILE* out, std::FILE* err, RunRecord& record,
               std::FILE* log = nullptr);

}  // namespace dravik::cli
