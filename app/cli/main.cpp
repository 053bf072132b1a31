// dravik-clone: clones a Firebird database from the command line.
#include "app/cli/cli_run.h"
#include "app/cli/terminal_ui.h"
#include "app/engine/stop_signals.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    dravik::cli::InstallStopSignals();
    // Until a job is attached a signal ends the program at once.
    dravik::engine::StopSignalsEndAtOnce(true);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return dravik::cli::RunCli(args, stdout, stderr);
}
