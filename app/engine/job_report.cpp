#include "app/engine/job_report.h"

namespace dravik::engine {

std::vector<std::string> ProblemLines(const JobReport& report) {
    std::vector<std::string> lines;
    if (report.errorLines > 0)
        lines.push_back("finished with " + std::to_string(report.errorLines) + " error line" +
                        (report.errorLines == 1 ? "" : "s") + " in the run log");
    // Refused rows are counted in the progress lines, not written in red, but
    // the clone lacks them all the same.
    if (report.refusedRows > 0)
        lines.push_back(std::to_string(report.refusedRows) + " row" + (report.refusedRows == 1 ? "" : "s") +
                        " could not be copied");
    return lines;
}

}  // namespace dravik::engine
