// dravik-clone interrupted in the middle of a table's rows: Ctrl-C (once,
// and twice), and SIGKILL; SIGTERM where no row is copied: during the
// verification and while a password file is awaited. Each time the source
// stays exactly as it was and sound, and a second run with "replace"
// finishes with every row.
#include "hostile/hostile_fixture.h"

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <regex>
#include <thread>

namespace dravik::test {
namespace {

constexpr long kRows = 100000;

// The row count of a "Скопировано:" progress line, or -1.
long CopiedRows(const std::string& line) {
    static const std::regex progress("^Скопировано:: ([0-9]+) записей \\(([0-9]+) ошибок\\)$");
    std::smatch m;
    return std::regex_match(line, m, progress) ? std::stol(m[1]) : -1;
}

class Interruption : public HostileTest {
protected:
    void SetUp() override {
        MakeSource();
        Isql(src, "create table BIG (ID integer not null primary key, PAYLOAD varchar(40), AT_TIME timestamp);\n"
                  "set term ^;\n"
                  "execute block as declare i integer = 1; begin\n"
                  "  while (i <= " + std::to_string(kRows) + ") do begin\n"
                  "    insert into BIG values (:i, 'payload ' || :i, dateadd(:i second to timestamp '2020-01-01'));\n"
                  "    i = i + 1;\n"
                  "  end\n"
                  "end^\n"
                  "set term ;^\n"
                  "commit;\n");
        before = TakeSnapshot(src);
    }

    // Reads a running clone's log until BIG's copy is well under way: past
    // the first thousand rows, where rows go in batches.
    void UntilCopying(RunningClone& clone) {
        bool inBig = false;
        for (std::string line; clone.ReadLine(line);) {
            if (line.rfind("COPY DATA: BIG", 0) == 0) inBig = true;
            if (inBig && CopiedRows(line) >= 3000) return;
        }
        FAIL() << "no progress line of BIG in the run log:\n" << Join(clone.Log());
    }

    // The last progress line's row count.
    static long LastCount(const std::string& log) {
        long count = -1;
        for (const std::string& line : Split(log))
            if (CopiedRows(line) >= 0) count = CopiedRows(line);
        return count;
    }

    // A second run with "replace" (the default) that must finish with every row.
    void SecondRunFinishes(const std::string& name) {
        const Outcome again = RunCloneWithin({src, dst});
        ExpectReport(name + ", then a second run with replace", again, 0);
        EXPECT_TRUE(HasLine(again.out, "DB " + dst + ": droped successfully")) << again.out;
        EXPECT_TRUE(HasLine(again.out, "Database copy: complete")) << again.out;
        ExpectRows(name + ", second run", dst, "BIG", kRows);
        ExpectRows(name + ", second run", dst, "CUSTOMER", 40);
        // Row for row the same as the source.
        const Snapshot copy = TakeSnapshot(dst);
        for (const std::string& table : before.tables) {
            EXPECT_NE(std::find(copy.tables.begin(), copy.tables.end(), table), copy.tables.end()) << table;
        }
        ExpectUnchanged(name + ", after the second run", src, before);
    }

    static std::string Join(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& l : lines) text += l + "\n";
        return text;
    }
    static std::vector<std::string> Split(const std::string& text) {
        std::vector<std::string> lines;
        size_t from = 0;
        for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
            lines.push_back(text.substr(from, end - from));
        return lines;
    }

    Snapshot before;
};

TEST_F(Interruption, CtrlCInTheMiddleOfATableStopsAfterTheRowAndKeepsWhatWasCounted) {
    const std::string name = "Ctrl-C during the data copy";
    RunningClone clone({"--commit-every", "100", src, dst});
    ASSERT_NO_FATAL_FAILURE(UntilCopying(clone));
    clone.Signal(SIGINT);
    const Outcome run = clone.Finish();
    ExpectReport(name, run, 130);
    EXPECT_EQ(run.signal, 0) << "the first Ctrl-C must end the job, not the process";
    EXPECT_NE(run.err.find("dravik-clone: stopped; the destination holds what was done up to then"), std::string::npos)
        << run.err;
    EXPECT_FALSE(HasLineStarting(run.out, "Finish time:")) << "a stopped job writes no finish lines";
    const long counted = LastCount(run.out);
    std::printf("[ figures  ] Ctrl-C: stopped after %ld of %ld rows, exit %d in %.2f s\n", counted, kRows, run.status,
                run.seconds);
    ASSERT_GT(counted, 0);
    EXPECT_LT(counted, kRows) << "the copy ran to its end instead of stopping";
    // Every row counted up to the stop, the current one included, is there.
    ExpectRows(name, dst, "BIG", counted);
    EXPECT_EQ(ValidationReport(src), "");
    ExpectUnchanged(name, src, before);
    SecondRunFinishes(name);
}

TEST_F(Interruption, SecondCtrlCEndsTheProgramAtOnce) {
    const std::string name = "Ctrl-C twice during the data copy";
    RunningClone clone({"--commit-every", "100", src, dst});
    ASSERT_NO_FATAL_FAILURE(UntilCopying(clone));
    clone.Signal(SIGINT);
    clone.Signal(SIGINT);
    const Outcome run = clone.Finish();
    // Either the first one already ended the job (130), or the second ended
    // the process by the signal's own default action (also 130).
    Ledger::Get().Case(name, !run.timedOut && run.status == 130);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_TRUE(run.signal == 0 || run.signal == SIGINT) << run.signal;
    EXPECT_EQ(ValidationReport(src), "");
    ExpectUnchanged(name, src, before);
    SecondRunFinishes(name);
}

TEST_F(Interruption, SigtermDuringTheVerificationOrAPasswordWaitEndsWith130) {
    const std::string name = "SIGTERM during the verification";
    RunningClone clone({src, dst});
    std::string line;
    while (clone.ReadLine(line) && line != "Verification: the destination compared with the source") {
    }
    ASSERT_EQ(line, "Verification: the destination compared with the source") << "no verification in the run log";
    clone.Signal(SIGTERM);
    const Outcome run = clone.Finish();
    ExpectReport(name, run, 130);
    EXPECT_EQ(run.signal, 0) << "the first SIGTERM must end the job, not the process";
    // A signal that lands while the verification attaches ends the program
    // at once (130 all the same); later, the comparison stops and says so.
    EXPECT_FALSE(HasLine(run.out, "Database copy: complete")) << run.out;
    ExpectUnchanged(name, src, before);
    std::remove(dst.c_str());

    // A password file that is a FIFO nobody writes to.
    const std::string fifo = dir.File("password.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    RunningClone waiting({"--password-file", fifo, src, dst});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    waiting.Signal(SIGTERM);
    const Outcome waited = waiting.Finish(10);
    ExpectReport("SIGTERM while a password file is awaited", waited, 130);
    EXPECT_FALSE(FileExists(dst));
}

TEST_F(Interruption, SigkillInTheDataPassLeavesTheSourceSoundAndASecondRunReplaces) {
    const std::string name = "SIGKILL during the data copy";
    RunningClone clone({"--commit-every", "100", src, dst});
    ASSERT_NO_FATAL_FAILURE(UntilCopying(clone));
    clone.Signal(SIGKILL);
    const Outcome run = clone.Finish();
    Ledger::Get().Case(name, !run.timedOut && run.signal == SIGKILL);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.signal, SIGKILL);
    EXPECT_LT(LastCount(run.out), kRows);
    std::printf("[ figures  ] SIGKILL after %ld of %ld rows\n", LastCount(run.out), kRows);
    // The killed process held the source open: it must still be sound and whole.
    EXPECT_EQ(ValidationReport(src), "");
    ExpectUnchanged(name, src, before);
    SecondRunFinishes(name);
}

}  // namespace
}  // namespace dravik::test
