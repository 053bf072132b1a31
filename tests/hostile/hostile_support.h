// What the hostile cases share: dravik-clone run as a child process that
// may not hang (a deadline, then SIGKILL), a snapshot of everything a source
// database holds (its metadata as isql-fb -x writes it and every table's
// rows), a process that keeps a database attached, and the ledger that sums
// up every case for the suite's closing figures.
#pragma once

#include "support/test_support.h"

#include <sys/types.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace dravik::test {

// A finished (or killed) dravik-clone.
struct Outcome {
    int status = -1;        // exit status, or 128 + signal number
    bool timedOut = false;  // killed by the test after the deadline
    int signal = 0;         // the signal that ended it, if one did
    double seconds = 0;
    std::string out;        // the run log
    std::string err;        // messages and errors
};

// Runs dravik-clone and waits at most `deadline` seconds (then kills it).
// Its output goes to files, so a long run log cannot block it.
Outcome RunCloneWithin(const std::vector<std::string>& args, int deadline = 90, const std::string& workDir = "");

// A dravik-clone whose run log is read line by line while it runs.
class RunningClone {
public:
    explicit RunningClone(const std::vector<std::string>& args);
    ~RunningClone();
    RunningClone(const RunningClone&) = delete;
    RunningClone& operator=(const RunningClone&) = delete;

    // The next line of the run log; false at its end or after `deadline` seconds.
    bool ReadLine(std::string& line, int deadline = 60);
    void Signal(int signal);
    // Reads the rest of the run log and waits, at most `deadline` seconds.
    Outcome Finish(int deadline = 60);
    // The lines read so far.
    const std::vector<std::string>& Log() const { return log_; }

private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    std::string buffered_;
    std::string errPath_;
    std::vector<std::string> log_;
    std::chrono::steady_clock::time_point started_;
};

// Everything of a database that a clone must leave as it was.
struct Snapshot {
    std::string metadata;            // isql-fb -x
    std::vector<std::string> tables; // "NAME: rows, checksum" per table, and the generators' values
    bool operator==(const Snapshot&) const = default;
};
Snapshot TakeSnapshot(const std::string& database);
// The lines in which two snapshots differ, for a failure message.
std::string Difference(const Snapshot& before, const Snapshot& after);

// An isql-fb process that keeps a database attached until it is released.
class AttachedElsewhere {
public:
    explicit AttachedElsewhere(const std::string& database);
    ~AttachedElsewhere();
    AttachedElsewhere(const AttachedElsewhere&) = delete;
    AttachedElsewhere& operator=(const AttachedElsewhere&) = delete;
    bool Ready() const { return ready_; }
    void Release();

private:
    pid_t pid_ = -1;
    int inFd_ = -1;
    int outFd_ = -1;
    bool ready_ = false;
};

// The bytes of a file ("" when it does not exist).
std::string FileBytes(const std::string& path);
bool FileExists(const std::string& path);
// A source's row count for one table.
long RowCount(const std::string& database, const std::string& table);
// True when a line of the text (trailing blanks aside) equals the line given.
bool HasLine(const std::string& text, const std::string& line);
bool HasLineStarting(const std::string& text, const std::string& prefix);
// "gfix -v -full -n": an empty text when the database is sound.
std::string ValidationReport(const std::string& database);

// Case figures gathered over the whole suite and printed when it ends.
class Ledger {
public:
    static Ledger& Get();
    // A case tried; kept working: no crash, no hang, the documented report.
    void Case(const std::string& name, bool keptWorking);
    void SourceCheck(const std::string& name, bool changed);
    void RowCheck(const std::string& name, long lost);
    void Print(std::FILE* out) const;

private:
    std::vector<std::string> cases_, broken_, changedSources_, lostRows_;
    int sourceChecks_ = 0, rowChecks_ = 0;
    long rowsLost_ = 0;
};

// Checks an outcome: not hung, not crashed, the exit status expected; records the case.
void ExpectReport(const std::string& name, const Outcome& run, int status);
// Checks and records that a source kept its snapshot.
void ExpectUnchanged(const std::string& name, const std::string& database, const Snapshot& before);
// Checks and records that a table holds `expected` rows (the shortfall counts as lost).
void ExpectRows(const std::string& name, const std::string& database, const std::string& table, long expected);

}  // namespace dravik::test
