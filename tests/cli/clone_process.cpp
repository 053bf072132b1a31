#include "cli/clone_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace dravik::test {

namespace {

// Replaces the child with dravik-clone; only returns (by exiting) on failure.
[[noreturn]] void ExecClone(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = DRAVIK_CLONE_BINARY;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

int DecodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

CloneRun RunClone(const std::vector<std::string>& args, const std::string& workDir) {
    char folder[] = "/tmp/dravik-run-XXXXXX";
    if (!mkdtemp(folder)) throw std::runtime_error("cannot make a temporary folder");
    const std::string outPath = std::string(folder) + "/out", errPath = std::string(folder) + "/err";
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
        ExecClone(args);
    }
    CloneRun run;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid) run.status = DecodeStatus(status);
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    rmdir(folder);
    return run;
}

CloneProcess::CloneProcess(const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("cannot make a pipe");
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        close(fds[1]);
        ExecClone(args);
    }
    close(fds[1]);
    out_ = fdopen(fds[0], "r");
}

CloneProcess::~CloneProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (out_) std::fclose(out_);
}

bool CloneProcess::ReadLine(std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(out_)) != EOF && c != '\n') line += static_cast<char>(c);
    return c != EOF || !line.empty();
}

void CloneProcess::Signal(int signal) { kill(pid_, signal); }

int CloneProcess::Wait(std::vector<std::string>& restOfOutput) {
    for (std::string line; ReadLine(line);) restOfOutput.push_back(line);
    int status = 0;
    const pid_t waited = waitpid(pid_, &status, 0);
    pid_ = -1;
    return waited > 0 ? DecodeStatus(status) : -1;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace dravik::test
