// What a clone job tells its caller when it ends: how it ended, its red
// lines, and the rows the destination refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dravik::engine {

// How a job ended.
enum class JobOutcome {
    Finished,           // every step ran; red lines may have been written
    DestinationFailed,  // the destination could not be created or connected
    Stopped,            // a stop request ended it
    Failed,             // a failure that is not an object's own ended it midway:
                        // the destination is incomplete
};

struct JobReport {
    JobOutcome outcome = JobOutcome::Finished;
    // Red lines written to the run log, and each of them as the log shows it
    // (caption + ": " + text).
    int errorLines = 0;
    std::vector<std::string> errors;
    // Rows the destination refused during the data copy, over all tables;
    // they are counted in the progress lines, not written in red.
    std::int64_t refusedRows = 0;
};

// What a finished job's caller says after it when it was not clean: "finished
// with N error lines in the run log" and "N rows could not be copied", as
// far as they apply; none for a clean job.
std::vector<std::string> ProblemLines(const JobReport& report);

}  // namespace dravik::engine
