// A copy of one moment, and an honest account of it: a writer that moves
// rows between two related tables while the clone runs, a destination that
// fills up, a source whose database triggers write, a row the source cannot
// read, stops before the destination is touched, and names and passwords
// with control characters and quotes. The clone is the source at one moment,
// a failure underneath the rows ends the job at once with status 3, the
// counts are the destination's, and the source stays as it was.
#include "db/db_query.h"
#include "hostile/hostile_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <thread>

namespace dravik::test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(text.substr(from, end - from));
    return lines;
}

// The rows and errors of the last progress line of the run log.
struct Progress {
    long rows = -1, errors = -1;
};
Progress LastProgress(const std::string& log) {
    static const std::regex line("^Скопировано:: ([0-9]+) записей \\(([0-9]+) ошибок\\)$");
    Progress last;
    std::smatch m;
    for (const std::string& l : Lines(log))
        if (std::regex_match(l, m, line)) last = {std::stol(m[1]), std::stol(m[2])};
    return last;
}

int CountLines(const std::string& text, const std::string& wanted) {
    int count = 0;
    for (const std::string& l : Lines(text)) count += l == wanted ? 1 : 0;
    return count;
}

std::string ShellWord(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a bash script (dravik-clone is $CLONE in it) with its output in files,
// killed after `deadline` seconds.
Outcome RunShell(const std::string& script, int deadline, const TempDir& dir) {
    const std::string out = dir.File("shell.out"), err = dir.File("shell.err");
    Outcome run;
    const auto started = Clock::now();
    run.status = RunCommand("CLONE=" + ShellWord(DRAVIK_CLONE_BINARY) + " timeout -s KILL " +
                            std::to_string(deadline) + " bash -c " +
                            ShellWord("exec >" + ShellWord(out) + " 2>" + ShellWord(err) + "; " + script));
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    run.timedOut = run.status == 128 + SIGKILL;
    run.out = FileBytes(out);
    run.err = FileBytes(err);
    return run;
}

// dravik-clone writing its run log into a pipe the test filled to the brim:
// its first line blocks until the test drains the pipe, so a signal sent
// meanwhile arrives before the job has dropped or created anything.
class BlockedClone {
public:
    BlockedClone(const std::vector<std::string>& args, const std::string& errPath) {
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("cannot make a pipe");
        fcntl(fds[1], F_SETPIPE_SZ, 4096);
        fcntl(fds[1], F_SETFL, O_NONBLOCK);
        const std::string fill(512, '#');
        while (write(fds[1], fill.data(), fill.size()) > 0) {
        }
        fcntl(fds[1], F_SETFL, 0);  // the child's writes block
        std::vector<std::string> copies = args;
        std::string program = DRAVIK_CLONE_BINARY;
        std::vector<char*> argv{program.data()};
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err < 0 || dup2(fds[1], 1) < 0 || dup2(err, 2) < 0) _exit(127);
            close(fds[0]);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(fds[1]);
        readFd_ = fds[0];
    }
    ~BlockedClone() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (readFd_ >= 0) close(readFd_);
    }
    BlockedClone(const BlockedClone&) = delete;
    BlockedClone& operator=(const BlockedClone&) = delete;

    void Signal(int signal) { kill(pid_, signal); }
    // Waits at most `deadline` seconds for the end, reading the run log
    // (without the filling) only when `drain` is set.
    Outcome Wait(int deadline, bool drain) {
        Outcome run;
        const auto started = Clock::now(), until = started + std::chrono::seconds(deadline);
        if (drain) fcntl(readFd_, F_SETFL, O_NONBLOCK);
        int status = 0;
        for (;;) {
            char chunk[4096];
            for (ssize_t got; drain && (got = read(readFd_, chunk, sizeof chunk)) > 0;)
                run.out.append(chunk, static_cast<size_t>(got));
            if (waitpid(pid_, &status, WNOHANG) == pid_) break;
            if (Clock::now() >= until) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                run.timedOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
        run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        run.out.erase(0, run.out.find_first_not_of('#'));
        return run;
    }

private:
    pid_t pid_ = -1;
    int readFd_ = -1;
};

// A server user made for one test and dropped after it.
class ServerUser {
public:
    ServerUser(const std::string& database, const std::string& name, const std::string& password)
        : database_(database), name_(name) {
        std::string quoted;
        for (char c : password) quoted += c == '\'' ? std::string("''") : std::string(1, c);
        Isql(database_, "drop user " + name_ + ";\n", true);
        Isql(database_, "create user " + name_ + " password '" + quoted + "';\ncommit;\n");
    }
    ~ServerUser() {
        // A grant on the server outlives its user unless revoked.
        Isql(database_, "revoke create database from user " + name_ + ";\ndrop user " + name_ + ";\ncommit;\n", true);
    }
    ServerUser(const ServerUser&) = delete;
    ServerUser& operator=(const ServerUser&) = delete;

private:
    std::string database_, name_;
};

class ConsistentCopy : public HostileTest {};

// ---- a writer during the clone

// A and B hold the ids lo..lo+99999 each, B referring to A by the same id;
// a transaction moves amounts between them (the total stays 2,000,000) and
// turns the five oldest pairs into five new ones.
constexpr long kPairs = 100000;
constexpr const char* kMoves = R"(execute block as
declare i integer = 0; declare lo integer; declare x integer; declare y integer; declare v bigint;
begin
  while (i < 20) do begin
    select min(ID) from A into :lo;
    x = lo + cast(floor(rand() * 100000) as integer);
    y = lo + cast(floor(rand() * 100000) as integer);
    update A set BAL = BAL - 7 where ID = :x;
    update B set AMT = AMT + 7 where ID = :y;
    if (i < 5) then begin
      select A.BAL + B.AMT from A join B on B.ID = A.ID where A.ID = :lo into :v;
      delete from B where ID = :lo;
      delete from A where ID = :lo;
      insert into A values (:lo + 100000, :v);
      insert into B values (:lo + 100000, :lo + 100000, 0);
    end
    i = i + 1;
  end
end)";

TEST_F(ConsistentCopy, WriterMovingRowsDuringTheCloneGivesTheTotalsOfOneMoment) {
    DRAVIK_REQUIRE_SERVER();
    const std::string name = "clone while a writer moves rows";
    const std::string source = Remote(src), copy = Remote(dst);
    CreateDatabase(source);
    Isql(source, "create table A (ID integer not null primary key, BAL bigint);\n"
                 "create table B (ID integer not null primary key, A_ID integer not null references A (ID), AMT bigint);\n"
                 "set term ^;\n"
                 "execute block as declare i integer = 1; begin\n"
                 "  while (i <= " + std::to_string(kPairs) + ") do begin\n"
                 "    insert into A values (:i, 10); insert into B values (:i, :i, 10); i = i + 1;\n"
                 "  end\n"
                 "end^\n"
                 "set term ;^\ncommit;\n");

    std::atomic<bool> stop{false};
    std::atomic<long> commits{0};
    std::string writerError;
    std::thread writer([&] {
        try {
            db::DbConnection c;
            Attach(c, source);
            while (!stop) {
                c.DefaultTransaction().StartTransaction();
                db::DbStatement(c, kMoves).ExecQuery();
                c.DefaultTransaction().Commit();
                ++commits;
            }
            c.Disconnect();
        } catch (const std::exception& e) {
            writerError = e.what();
        }
    });
    while (commits < 5 && writerError.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const long before = commits;
    // The verification would compare with the source as it is after the
    // writer went on: it is left out.
    const Outcome run = RunCloneWithin({"--no-verify", "--commit-every", "50", source, copy}, 300);
    const long during = commits - before;
    stop = true;
    writer.join();
    ASSERT_EQ(writerError, "");
    std::printf("[ figures  ] %ld writer transactions during a clone of %.1f s\n", during, run.seconds);
    ExpectReport(name, run, 0);
    EXPECT_TRUE(HasLine(run.out, "Database copy: complete")) << run.out;
    EXPECT_GE(during, 20) << "the writer hardly ran while the clone did";

    // One moment: both tables hold the same 100,000 ids, no B without its A,
    // and the total the writer keeps.
    EXPECT_EQ(Scalar(copy, "select count(*) || ' ' || min(ID) || ' ' || max(ID) from A"),
              Scalar(copy, "select count(*) || ' ' || min(ID) || ' ' || max(ID) from B"));
    EXPECT_EQ(Scalar(copy, "select count(*) from A"), std::to_string(kPairs));
    EXPECT_EQ(Scalar(copy, "select count(*) from B where not exists (select 1 from A where A.ID = B.A_ID)"), "0");
    EXPECT_EQ(Scalar(copy, "select (select sum(BAL) from A) + (select sum(AMT) from B) from rdb$database"),
              std::to_string(20 * kPairs));
    // The source moved on meanwhile: the check above was not of a still source.
    EXPECT_NE(Scalar(source, "select min(ID) from A"), Scalar(copy, "select min(ID) from A"));
}

// ---- a destination that fills up

TEST_F(ConsistentCopy, FullDestinationEndsTheJobAtOnceWithTheServersMessage) {
    DRAVIK_REQUIRE_SERVER();
    // The source through the server (whose writes the limit does not touch),
    // the destination local: the embedded engine writes it inside
    // dravik-clone, under a file size limit of 1.5 MB.
    const std::string source = Remote(src);
    CreateDatabase(source);
    Isql(source, "create table FILLER (ID integer not null primary key, PAYLOAD varchar(200));\n"
                 "set term ^;\n"
                 "execute block as declare i integer = 1; begin\n"
                 "  while (i <= 30000) do begin\n"
                 "    insert into FILLER values (:i, lpad(:i, 200, 'x')); i = i + 1;\n"
                 "  end\n"
                 "end^\n"
                 "set term ;^\ncommit;\n");
    const Outcome run = RunShell("trap '' XFSZ; ulimit -f 1536; exec \"$CLONE\" " + ShellWord(source) + " " +
                                     ShellWord(dst),
                                 120, dir);
    ExpectReport("destination fills up", run, 3);
    EXPECT_NE(run.out.find("File too large"), std::string::npos) << run.out;
    EXPECT_TRUE(HasLine(run.out, "Database copy: failed; the destination is incomplete")) << run.out;
    EXPECT_FALSE(HasLine(run.out, "Database copy: complete")) << run.out;
    EXPECT_LT(run.seconds, 60) << "the failure was retried row by row";
    // Rolled back to its last commit, the destination holds what the last progress line says.
    const Progress last = LastProgress(run.out);
    EXPECT_GT(last.rows, 0) << run.out;
    ExpectRows("destination fills up", dst, "FILLER", last.rows);
    std::printf("[ figures  ] full destination: exit %d after %.1f s\n", run.status, run.seconds);
}

// ---- the destination lost while its server copies the rows

// Both databases on the server, so the server copies every table in one
// destination transaction; the destination's attachment is cut while the
// second table is copied. Nothing of that transaction stays, and the log's
// last word on the first table says so instead of its 100 rows.
TEST_F(ConsistentCopy, DestinationLostDuringTheServersCopyLeavesEveryCountTheDestinations) {
    DRAVIK_REQUIRE_SERVER();
    const std::string source = Remote(src), copy = Remote(dst);
    CreateDatabase(source);
    Isql(source, "create table A (ID integer not null primary key);\n"
                 "create table B (ID integer not null primary key, PAD varchar(100));\n"
                 "set term ^;\n"
                 "execute block as declare i integer = 1; begin\n"
                 "  while (i <= 400000) do begin\n"
                 "    if (i <= 100) then insert into A values (:i);\n"
                 "    insert into B values (:i, lpad(:i, 100, 'x')); i = i + 1;\n"
                 "  end\n"
                 "end^\n"
                 "set term ;^\ncommit;\n");
    RunningClone clone({"--no-verify", source, copy});
    std::string line;
    while (clone.ReadLine(line) && line.rfind("COPY DATA: B", 0) != 0) {
    }
    ASSERT_EQ(line.rfind("COPY DATA: B", 0), 0u) << "the second table's copy never began";
    Exec(copy, "delete from mon$attachments where mon$attachment_id <> current_connection");
    const Outcome run = clone.Finish();
    ExpectReport("destination lost during the server's copy", run, 3);
    EXPECT_TRUE(HasLine(run.out, "COPY DATA A: rolled back with the failure: 0 rows in the destination")) << run.out;
    EXPECT_TRUE(HasLine(run.out, "Database copy: failed; the destination is incomplete")) << run.out;
    ExpectRows("destination lost during the server's copy", copy, "A", 0);
    ExpectRows("destination lost during the server's copy", copy, "B", 0);
}

// ---- database triggers of the source

TEST_F(ConsistentCopy, DatabaseTriggersOfTheSourceNeverFireUnlessAllowed) {
    const auto makeSource = [](const std::string& database) {
        CreateDatabase(database);
        Isql(database, "create table LOG (AT_TIME timestamp, WHAT varchar(20));\n"
                       "create table DATA_ROWS (ID integer not null primary key);\n"
                       "insert into DATA_ROWS values (1);\ninsert into DATA_ROWS values (2);\ncommit;\n"
                       "set term ^;\n"
                       "create trigger ON_CONNECT inactive on connect as\n"
                       "begin insert into LOG values (current_timestamp, 'connect'); end^\n"
                       "create trigger ON_COMMIT inactive on transaction commit as\n"
                       "begin insert into LOG values (current_timestamp, 'commit'); end^\n"
                       "set term ;^\ncommit;\n");
    };
    // The snapshots' own attachments would fire the triggers: they are
    // switched on only for the runs, through attachments that fire none.
    const auto switchTriggers = [this](const std::string& database, const char* state) {
        const std::string script = dir.File("switch.sql");
        std::ofstream(script) << "alter trigger ON_CONNECT " << state << ";\nalter trigger ON_COMMIT " << state
                              << ";\ncommit;\n";
        std::string output;
        EXPECT_EQ(RunCommand("isql-fb -q -bail -nodbtriggers -user SYSDBA -password corbelfin " + ShellWord(database) +
                                 " -i " + ShellWord(script),
                             &output),
                  0)
            << output;
    };

    // LOG's rows, read through an attachment that fires no trigger.
    const auto logRows = [this](const std::string& database) {
        const std::string script = dir.File("count.sql");
        std::ofstream(script) << "set list on;\nselect count(*) as N from LOG;\n";
        std::string output;
        RunCommand("isql-fb -q -nodbtriggers -user SYSDBA -password corbelfin " + ShellWord(database) + " -i " +
                       ShellWord(script),
                   &output);
        std::smatch m;
        return std::regex_search(output, m, std::regex("N +([0-9]+)")) ? std::stol(m[1]) : -1L;
    };

    makeSource(src);
    const Snapshot before = TakeSnapshot(src);
    switchTriggers(src, "active");
    const Outcome clone = RunCloneWithin({src, dst});
    const Outcome listed = RunCloneWithin({"--list", src});
    switchTriggers(src, "inactive");
    ExpectReport("source with writing database triggers", clone, 0);
    ExpectReport("--list of a source with writing database triggers", listed, 0);
    ExpectUnchanged("source with writing database triggers", src, before);
    EXPECT_EQ(logRows(src), 0);
    // Nor do the copies of the triggers fire for the job's own attachments to the destination.
    EXPECT_EQ(logRows(dst), 0) << clone.out;
    EXPECT_EQ(Scalar(dst, "select count(*) from DATA_ROWS"), "2");

    // Through the server a user who is neither SYSDBA nor the owner may not
    // turn them off.
    if (!ServerRunning()) GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050";
    const std::string served = Remote(dir.File("served.fdb"));
    makeSource(served);
    const std::string user = "DRAVIK_READER_" + std::to_string(getpid());
    ServerUser reader(served, user, "reads");
    Isql(served, "grant select on LOG to " + user + ";\ngrant select on DATA_ROWS to " + user + ";\ncommit;\n");
    const Snapshot servedBefore = TakeSnapshot(served);
    switchTriggers(served, "active");
    const std::vector<std::string> login{"-u", user, "-p", "reads", "--dst-user", "SYSDBA", "--dst-password",
                                         "corbelfin"};
    std::vector<std::string> args = login;
    args.insert(args.end(), {served, dst});
    std::remove(dst.c_str());
    MakeExisting(dst);
    const Outcome refused = RunCloneWithin(args);
    switchTriggers(served, "inactive");
    ExpectReport("non-owner source with database triggers", refused, 2);
    EXPECT_NE(refused.err.find("the source's database triggers cannot be turned off for user " + user),
              std::string::npos)
        << refused.out << refused.err;
    EXPECT_NE((refused.out + refused.err).find("--allow-db-triggers"), std::string::npos);
    EXPECT_TRUE(StillThere(dst)) << "the refused job touched the destination";
    ExpectUnchanged("non-owner source with database triggers", served, servedBefore);

    args = login;
    args.insert(args.end(), {"--allow-db-triggers", "--no-verify", served, dst});
    switchTriggers(served, "active");
    const Outcome allowed = RunCloneWithin(args);
    switchTriggers(served, "inactive");
    ExpectReport("non-owner source, triggers allowed", allowed, 0);
    // The log names the source by its path, as its "connected" line does.
    EXPECT_TRUE(HasLine(allowed.out, "DB " + dir.File("served.fdb") + ": its database triggers are active: user " + user +
                                         " may not turn them off"))
        << allowed.out;
    if (allowed.status == 0) {
        EXPECT_EQ(Scalar(dst, "select count(*) from DATA_ROWS"), "2");
    }
    // They did fire, as the note says.
    EXPECT_GT(logRows(served), 0);
}

// ---- a row the source cannot read

TEST_F(ConsistentCopy, UnreadableRowEndsTheJobAndEveryCountIsTheDestinations) {
    CreateDatabase(src);
    // Row 1500 alone holds a letter that the code page the rows are read
    // with (-c ISO8859_1) has not: the source fails to fetch it.
    Isql(src, "create table T (ID integer not null primary key, D varchar(4) character set WIN1251);\n"
              "set term ^;\n"
              "execute block as declare i integer = 1; begin\n"
              "  while (i <= 3000) do begin insert into T values (:i, iif(:i = 1500, '\u0416', 'a')); i = i + 1; end\n"
              "end^\n"
              "set term ;^\ncommit;\n",
         false, "UTF8");
    const std::string stored = "select count(*) || ' ' || sum(ID) || ' ' || count(nullif(D, 'a')) from T";
    const std::string before = Scalar(src, stored);
    for (const std::vector<std::string>& options : {std::vector<std::string>{"--commit-every", "200"},
                                                    std::vector<std::string>{"--stop-on-error"}}) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {"-c", "ISO8859_1", src, dst});
        const std::string name = "row the source cannot read, " + options.front();
        const Outcome run = RunCloneWithin(args);
        ExpectReport(name, run, 3);
        EXPECT_NE(run.out.find("Cannot transliterate"), std::string::npos) << run.out;
        EXPECT_TRUE(HasLine(run.out, "Database copy: failed; the destination is incomplete")) << run.out;
        EXPECT_FALSE(HasLine(run.out, "Database copy: complete")) << run.out;
        const Progress last = LastProgress(run.out);
        EXPECT_LT(last.rows, 1500) << run.out;
        ExpectRows(name, dst, "T", last.rows - last.errors);
    }
    EXPECT_EQ(Scalar(src, stored), before);
}

// ---- stops

TEST_F(ConsistentCopy, StopsBeforeTheDestinationIsTouchedAndClosedOutputEndWith130) {
    MakeSource();
    MakeExisting(dst);
    const std::string existing = FileBytes(dst);
    const std::string errors = dir.File("blocked.err");
    {
        BlockedClone clone({src, dst}, errors);
        std::this_thread::sleep_for(std::chrono::seconds(3));  // well past the loading, blocked on its log
        clone.Signal(SIGTERM);
        const Outcome run = clone.Wait(60, true);
        ExpectReport("SIGTERM before the destination is touched", run, 130);
        EXPECT_EQ(run.signal, 0);
        EXPECT_FALSE(HasLineStarting(run.out, "DB " + dst)) << run.out;
        EXPECT_TRUE(FileBytes(dst) == existing) << "the existing destination changed";
        EXPECT_NE(FileBytes(errors).find("stopped"), std::string::npos) << FileBytes(errors);
    }
    {
        // Blocked on its log, it could not end by itself: the second signal ends it.
        BlockedClone clone({src, dst}, errors);
        std::this_thread::sleep_for(std::chrono::seconds(3));
        clone.Signal(SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        clone.Signal(SIGTERM);
        const Outcome run = clone.Wait(10, false);
        ExpectReport("second SIGTERM", run, 130);
        EXPECT_EQ(run.signal, 0);
        EXPECT_TRUE(FileBytes(dst) == existing) << "the existing destination changed";
    }
    // A reader that quits after the first line: the job stops, no SIGPIPE death.
    const Outcome headed = RunShell("\"$CLONE\" " + ShellWord(src) + " " + ShellWord(dst) +
                                        " | head -1; exit ${PIPESTATUS[0]}",
                                    90, dir);
    ExpectReport("run log read by head -1", headed, 130);
    EXPECT_EQ(Lines(headed.out).size(), 1u) << headed.out;
}

// ---- control characters and quotes

TEST_F(ConsistentCopy, ControlCharactersAndQuotesAreKeptExactlyAndShownEscaped) {
    const std::string names = dir.File("names.fdb");
    CreateDatabase(names);
    Isql(names, "create table \"A\n" + std::string("Database copy: complete") + "\" (ID integer, \"V\x1B[31m\" integer);\n"
              "insert into \"A\nDatabase copy: complete\" values (1, 2);\ncommit;\n");
    const std::string table = "A\nDatabase copy: complete", column = "V\x1B[31m";
    // The path with a quote too.
    const std::string quoted = dir.File("it's.fdb");
    const Outcome run = RunCloneWithin({names, quoted});
    ExpectReport("names with a newline and ESC", run, 0);
    EXPECT_EQ(CountLines(run.out, "Database copy: complete"), 1) << run.out;
    EXPECT_NE(run.out.find("A\\nDatabase copy: complete"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1B'), std::string::npos) << run.out;
    EXPECT_EQ(Column(quoted, "select rdb$relation_name from rdb$relations where rdb$system_flag = 0"),
              std::vector<std::string>{table});
    EXPECT_EQ(Column(quoted, "select rdb$field_name from rdb$relation_fields where rdb$field_name starting 'V'"),
              std::vector<std::string>{column});
    EXPECT_EQ(Scalar(quoted, "select \"" + column + "\" from \"" + table + "\""), "2");

    const Outcome listed = RunCloneWithin({"--list", names});
    ExpectReport("--list of names with a newline", listed, 0);
    EXPECT_TRUE(HasLine(listed.out, "\tA\\nDatabase copy: complete")) << listed.out;
    EXPECT_FALSE(HasLine(listed.out, "Database copy: complete")) << listed.out;

    // A destination user whose password holds a quote and blanks at both
    // ends, given on the command line, in a file (whose line ends in CR LF)
    // and in the environment: taken exactly.
    if (!ServerRunning()) GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050";
    MakeSource();
    const std::string user = "DRAVIK_QUOTE_" + std::to_string(getpid()), password = " it's \"quoted\" ";
    ServerUser quoter(Remote(src), user, password);
    Isql(Remote(src), "grant create database to user " + user + ";\ncommit;\n");
    const std::string file = dir.File("password.txt");
    std::ofstream(file) << password << "\r\nnot this line\n";
    const std::string remote = Remote(dir.File("quoted.fdb"));
    for (const std::string how : {"--dst-password", "--dst-password-file", "DRAVIK_DST_PASSWORD"}) {
        std::vector<std::string> args{"--dst-user", user};
        if (how == "--dst-password") args.insert(args.end(), {how, password});
        if (how == "--dst-password-file") args.insert(args.end(), {how, file});
        if (how == "DRAVIK_DST_PASSWORD") setenv("DRAVIK_DST_PASSWORD", password.c_str(), 1);
        args.insert(args.end(), {src, remote});
        const Outcome made = RunCloneWithin(args);
        unsetenv("DRAVIK_DST_PASSWORD");
        // The server does not let the job act in SYSDBA's name: his objects
        // are the destination user's, and the verification says so.
        ExpectReport("destination password with a quote, " + how, made, 1);
        EXPECT_TRUE(HasLineStarting(made.out, "OWNER SYSDBA: the destination cannot act in this user's name"))
            << made.out;
        EXPECT_TRUE(HasLine(made.out, "Verification: table ORDERS: owner differs: SYSDBA | " + user)) << made.out;
        EXPECT_EQ(Scalar(remote, "select trim(rdb$owner_name) from rdb$relations where rdb$relation_name = 'ORDERS'"),
                  user)
            << how;
        EXPECT_EQ(Scalar(remote, "select count(*) from CUSTOMER"), "40") << how;
    }
}

}  // namespace
}  // namespace dravik::test
