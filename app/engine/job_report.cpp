#include "app/engine/job_report.h"

namespace dravik::engine {

std::vector<std::string> ProblemLines(const JobReport& report, bool stopOnError) {
    std::vector<std::string> lines;
    if (report.errorLines > 0)
        lines.push_back("finished with " + std::to_string(report.errorLines) + " error line" +
                        (report.errorLines == 1 ? "" : "s") + " in the run log");
    // Refused rows are counted in the progress lines and in their tables'
    // red lines; the figures here are their sums, as the destination holds them.
    if (report.refusedRows > 0)
        lines.push_back(std::to_string(report.refusedRows) + " row" + (report.refusedRows == 1 ? "" : "s") +
                        " refused; the tables that refused rows hold " + std::to_string(report.rowsBesideRefusals) +
                        " rows" + (stopOnError ? " (--stop-on-error: each one's copy ended at its first refusal)" : ""));
    return lines;
}

}  // namespace dravik::engine
