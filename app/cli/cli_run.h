// dravik-clone as a function: parses the arguments, loads the source's
// objects, applies the choices and runs the clone job, writing the run log to
// `out` and everything else to `err`. Returns the program's exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace dravik::cli {

enum ExitStatus {
    kExitClean = 0,     // the job finished without a red line (or --help, --list)
    kExitErrors = 1,    // the job finished with red lines
    kExitFailed = 2,    // the destination was not created, or bad input
    kExitIncomplete = 3, // a failure underneath the objects ended the job midway
    kExitStopped = 130, // Ctrl-C, SIGTERM or a closed standard output ended the job
};

// args without the program name.
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace dravik::cli
