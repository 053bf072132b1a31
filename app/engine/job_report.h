// What a clone job tells its caller when it ends: how it ended, its red
// lines, what became of each planned object and each table's rows, and the
// verification's result.
#pragma once

#include "frames/fr_select_data.h"
#include "verify/compare.h"

#include <cstdint>
#include <ctime>
#include <optional>
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

// One node of the schema plan that ran: the object's kind and name, and the
// red lines it wrote (none: it was created).
struct ObjectResult {
    std::string kind;
    std::string name;
    std::vector<std::string> errors;
};

struct JobReport {
    JobOutcome outcome = JobOutcome::Finished;
    std::time_t started = 0, finished = 0;
    // Red lines written to the run log, and each of them as the log shows it
    // (caption + ": " + text).
    int errorLines = 0;
    std::vector<std::string> errors;
    // Rows the destination refused during the data copy, over all tables;
    // they are counted in the progress lines, not written in red.
    std::int64_t refusedRows = 0;
    // Every plan node that ran, in running order.
    std::vector<ObjectResult> objects;
    // Every table whose rows were to be copied, in copying order.
    std::vector<frames::TableCopyResult> tables;
    // The verification's comparison, when it ran to its end; otherwise why
    // it did not (empty when it was not asked for or the job ended before).
    std::optional<verify::Comparison> verification;
    std::string verificationError;
    // Rows the destination holds of the tables that refused rows (each
    // table's red line says its own two counts).
    std::int64_t rowsBesideRefusals = 0;
};

// What a finished job's caller says after it when it was not clean: "finished
// with N error lines in the run log" and "N rows refused; the tables that
// refused rows hold M rows" (saying, with stopOnError, that each such copy
// ended at its first refusal), as far as they apply; none for a clean job.
std::vector<std::string> ProblemLines(const JobReport& report, bool stopOnError = false);

}  // namespace dravik::engine
