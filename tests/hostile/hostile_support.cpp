#include "hostile/hostile_support.h"

#include "db/db_query.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace dravik::test {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void ExecClone(const std::vector<std::string>& args) {
    std::vector<std::string> copies = args;
    std::string program = DRAVIK_CLONE_BINARY;
    std::vector<char*> argv{program.data()};
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

std::string TempPath(const char* stem) {
    char pattern[64];
    std::snprintf(pattern, sizeof pattern, "/tmp/dravik-%s-XXXXXX", stem);
    const int fd = mkstemp(pattern);
    if (fd < 0) throw std::runtime_error("cannot make a temporary file");
    close(fd);
    return pattern;
}

// Waits for the child until the deadline; kills it after that.
void Reap(pid_t pid, Clock::time_point deadline, Outcome& outcome) {
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            outcome.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) {
        outcome.status = 128 + WTERMSIG(status);
        outcome.signal = WTERMSIG(status);
    }
}

std::string Quoted(const std::string& name) {
    std::string q = "\"";
    for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

uint64_t Fnv(const std::string& text, uint64_t hash) {
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace

// ---- child processes

Outcome RunCloneWithin(const std::vector<std::string>& args, int deadline, const std::string& workDir) {
    const std::string outPath = TempPath("out"), errPath = TempPath("err");
    const auto started = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_TRUNC);
        const int err = open(errPath.c_str(), O_WRONLY | O_TRUNC);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
        ExecClone(args);
    }
    Outcome outcome;
    if (pid > 0) Reap(pid, started + std::chrono::seconds(deadline), outcome);
    outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    outcome.out = FileBytes(outPath);
    outcome.err = FileBytes(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return outcome;
}

RunningClone::RunningClone(const std::vector<std::string>& args) : errPath_(TempPath("err")) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("cannot make a pipe");
    // A small pipe keeps the child from running far ahead of the reader.
    fcntl(fds[0], F_SETPIPE_SZ, 4096);
    started_ = Clock::now();
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const int err = open(errPath_.c_str(), O_WRONLY | O_TRUNC);
        if (err < 0 || dup2(fds[1], 1) < 0 || dup2(err, 2) < 0) _exit(127);
        ExecClone(args);
    }
    close(fds[1]);
    outFd_ = fds[0];
}

RunningClone::~RunningClone() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
    unlink(errPath_.c_str());
}

bool RunningClone::ReadLine(std::string& line, int deadline) {
    const auto until = Clock::now() + std::chrono::seconds(deadline);
    for (;;) {
        if (const size_t end = buffered_.find('\n'); end != std::string::npos) {
            line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            log_.push_back(line);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{outFd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        char chunk[4096];
        const ssize_t got = read(outFd_, chunk, sizeof chunk);
        if (got <= 0) {
            if (buffered_.empty()) return false;
            line = buffered_;
            buffered_.clear();
            log_.push_back(line);
            return true;
        }
        buffered_.append(chunk, static_cast<size_t>(got));
    }
}

void RunningClone::Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

Outcome RunningClone::Finish(int deadline) {
    Outcome outcome;
    const auto until = Clock::now() + std::chrono::seconds(deadline);
    for (std::string line; Clock::now() < until && ReadLine(line, deadline);) {
    }
    Reap(pid_, until, outcome);
    pid_ = -1;
    outcome.seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    for (const std::string& line : log_) outcome.out += line + "\n";
    outcome.err = FileBytes(errPath_);
    return outcome;
}

// ---- a database attached by another process

AttachedElsewhere::AttachedElsewhere(const std::string& database) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("cannot make a pipe");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        close(in[1]);
        close(out[0]);
        execlp("isql-fb", "isql-fb", "-q", "-user", kUser, "-password", kPassword, database.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    inFd_ = in[1];
    // Once isql answers a query, its attachment stands.
    const std::string probe = "select 'ATTACHED' || 'NOW' from rdb$database;\n";
    if (write(inFd_, probe.data(), probe.size()) != static_cast<ssize_t>(probe.size())) return;
    std::string seen;
    const auto until = Clock::now() + std::chrono::seconds(30);
    while (!ready_ && Clock::now() < until) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char chunk[512];
        const ssize_t got = read(out[0], chunk, sizeof chunk);
        if (got <= 0) break;
        seen.append(chunk, static_cast<size_t>(got));
        ready_ = seen.find("ATTACHEDNOW") != std::string::npos;
    }
    outFd_ = out[0];  // kept open: isql must not meet a closed pipe while it holds on
}

AttachedElsewhere::~AttachedElsewhere() { Release(); }

void AttachedElsewhere::Release() {
    if (inFd_ >= 0) {
        close(inFd_);  // isql ends at the end of its input
        inFd_ = -1;
    }
    if (outFd_ >= 0) {
        close(outFd_);
        outFd_ = -1;
    }
    if (pid_ > 0) {
        Outcome ignored;
        Reap(pid_, Clock::now() + std::chrono::seconds(20), ignored);
        pid_ = -1;
    }
}

// ---- snapshots

Snapshot TakeSnapshot(const std::string& database) {
    Snapshot snapshot;
    const std::string command = std::string("isql-fb -x -user ") + kUser + " -password " + kPassword + " '" +
                                database + "'";
    std::string extracted;
    const int status = RunCommand(command, &extracted);
    EXPECT_EQ(status, 0) << "isql-fb -x failed on " << database << ":\n" << extracted;
    // The CREATE DATABASE grants live in the server's security database, not
    // in this one: other tests running meanwhile change them.
    std::istringstream lines(extracted);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("GRANT CREATE DATABASE TO ", 0) != 0) snapshot.metadata += line + "\n";

    const auto tables = Column(database,
                               "select rdb$relation_name from rdb$relations where coalesce(rdb$system_flag, 0) = 0 "
                               "and rdb$view_source is null order by 1");
    const auto generators = Column(database,
                                   "select rdb$generator_name from rdb$generators "
                                   "where coalesce(rdb$system_flag, 0) = 0 order by 1");
    db::DbConnection c;
    Attach(c, database);
    for (const std::string& table : tables) {
        std::vector<std::string> rows;
        {
            // The stored columns: a computed one is no part of what the
            // database holds, and may fail to compute on purpose.
            std::string columns, literal;
            for (char ch : table) literal += ch == '\'' ? std::string("''") : std::string(1, ch);
            for (const std::string& column :
                 Column(database, "select rf.rdb$field_name from rdb$relation_fields rf join rdb$fields f "
                                  "on f.rdb$field_name = rf.rdb$field_source where rf.rdb$relation_name = '" +
                                      literal + "' and f.rdb$computed_blr is null order by rf.rdb$field_position"))
                columns += (columns.empty() ? "" : ", ") + Quoted(column);
            db::DbQuery q(c, "select " + columns + " from " + Quoted(table));
            q.Open();
            for (; !q.Eof(); q.Next()) {
                std::string row;
                for (int i = 0; i < q.FieldCount(); ++i)
                    row += (q.Fields(i).IsNull() ? std::string("<null>") : q.Fields(i).AsString()) + "|";
                rows.push_back(row);
            }
        }
        std::sort(rows.begin(), rows.end());
        uint64_t hash = 14695981039346656037ull;
        for (const std::string& row : rows) hash = Fnv(row + "\n", hash);
        snapshot.tables.push_back(table + ": " + std::to_string(rows.size()) + " rows, " + std::to_string(hash));
    }
    for (const std::string& generator : generators) {
        db::DbQuery q(c, "select gen_id(" + Quoted(generator) + ", 0) from rdb$database");
        q.Open();
        snapshot.tables.push_back("generator " + generator + " = " + q.Fields(0).AsString());
    }
    if (c.DefaultTransaction().InTransaction()) c.DefaultTransaction().Commit();
    c.Disconnect();
    return snapshot;
}

std::string Difference(const Snapshot& before, const Snapshot& after) {
    std::string text;
    if (before.metadata != after.metadata)
        text += "metadata before:\n" + before.metadata + "\nmetadata after:\n" + after.metadata + "\n";
    for (const std::string& line : before.tables)
        if (std::find(after.tables.begin(), after.tables.end(), line) == after.tables.end())
            text += "before only: " + line + "\n";
    for (const std::string& line : after.tables)
        if (std::find(before.tables.begin(), before.tables.end(), line) == before.tables.end())
            text += "after only: " + line + "\n";
    return text;
}

// ---- small helpers

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool FileExists(const std::string& path) {
    struct stat s {};
    return lstat(path.c_str(), &s) == 0;
}

long RowCount(const std::string& database, const std::string& table) {
    return std::stol(Scalar(database, "select count(*) from " + Quoted(table)));
}

bool HasLine(const std::string& text, const std::string& line) {
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (TrimRight(l) == line) return true;
    return false;
}

bool HasLineStarting(const std::string& text, const std::string& prefix) {
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(prefix, 0) == 0) return true;
    return false;
}

std::string ValidationReport(const std::string& database) {
    std::string report;
    const int status = RunCommand(std::string("gfix -v -full -n -user ") + kUser + " -password " + kPassword + " '" +
                                      database + "'",
                                  &report);
    if (status != 0 && report.empty()) report = "gfix ended with status " + std::to_string(status);
    return report;
}

// ---- the ledger

Ledger& Ledger::Get() {
    static Ledger ledger;
    return ledger;
}

void Ledger::Case(const std::string& name, bool keptWorking) {
    cases_.push_back(name);
    if (!keptWorking) broken_.push_back(name);
}

void Ledger::SourceCheck(const std::string& name, bool changed) {
    ++sourceChecks_;
    if (changed) changedSources_.push_back(name);
}

void Ledger::RowCheck(const std::string& name, long lost) {
    ++rowChecks_;
    if (lost > 0) {
        rowsLost_ += lost;
        lostRows_.push_back(name);
    }
}

void Ledger::Print(std::FILE* out) const {
    std::fprintf(out,
                 "\nHostile cases: %zu tried, %zu kept working; source checks: %d, sources changed: %zu; "
                 "row checks: %d, rows lost: %ld\n",
                 cases_.size(), cases_.size() - broken_.size(), sourceChecks_, changedSources_.size(), rowChecks_,
                 rowsLost_);
    for (const auto& name : broken_) std::fprintf(out, "  did not keep working: %s\n", name.c_str());
    for (const auto& name : changedSources_) std::fprintf(out, "  source changed: %s\n", name.c_str());
    for (const auto& name : lostRows_) std::fprintf(out, "  rows lost: %s\n", name.c_str());
}

namespace {

class LedgerPrinter : public ::testing::Environment {
public:
    void TearDown() override { Ledger::Get().Print(stdout); }
};

[[maybe_unused]] const auto* const kPrinter = ::testing::AddGlobalTestEnvironment(new LedgerPrinter);

}  // namespace

void ExpectReport(const std::string& name, const Outcome& run, int status) {
    const bool crashed = run.signal != 0 && !run.timedOut;
    const bool kept = !run.timedOut && !crashed && run.status == status;
    Ledger::Get().Case(name, kept);
    EXPECT_FALSE(run.timedOut) << name << ": dravik-clone hung and was killed\n" << run.out << run.err;
    EXPECT_FALSE(crashed) << name << ": dravik-clone crashed with signal " << run.signal << "\n" << run.err;
    EXPECT_EQ(run.status, status) << name << "\n--- run log:\n" << run.out << "--- stderr:\n" << run.err;
}

void ExpectUnchanged(const std::string& name, const std::string& database, const Snapshot& before) {
    const Snapshot after = TakeSnapshot(database);
    const bool changed = !(after == before);
    Ledger::Get().SourceCheck(name, changed);
    EXPECT_FALSE(changed) << name << ": the source changed\n" << Difference(before, after);
}

void ExpectRows(const std::string& name, const std::string& database, const std::string& table, long expected) {
    const long found = RowCount(database, table);
    Ledger::Get().RowCheck(name, expected - found);
    EXPECT_EQ(found, expected) << name << ": rows of " << table << " in " << database;
}

}  // namespace dravik::test
