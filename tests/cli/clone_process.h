// dravik-clone run as a child process, as scripts and users run it: its exit
// status, its stdout (the run log) and its stderr, and a running child that a
// test can read line by line and send a signal to.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

namespace dravik::test {

struct CloneRun {
    int status = -1;   // the exit status, or 128 + signal number
    std::string out;   // stdout: the run log
    std::string err;   // stderr: messages, summary, errors
};

// Runs dravik-clone with the arguments (in workDir when given) and waits for it.
CloneRun RunClone(const std::vector<std::string>& args, const std::string& workDir = "");

// A dravik-clone child whose stdout is read line by line.
class CloneProcess {
public:
    explicit CloneProcess(const std::vector<std::string>& args);
    ~CloneProcess();
    CloneProcess(const CloneProcess&) = delete;
    CloneProcess& operator=(const CloneProcess&) = delete;

    // The next line of stdout without its line break; false at the end.
    bool ReadLine(std::string& line);
    void Signal(int signal);
    // Reads the rest of stdout and waits; the exit status as in CloneRun.
    int Wait(std::vector<std::string>& restOfOutput);

private:
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
};

// The lines of a text, without their line breaks.
std::vector<std::string> Lines(const std::string& text);

}  // namespace dravik::test
