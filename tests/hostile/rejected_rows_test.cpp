// Rows the destination refuses: a NULL for a NOT NULL column and a value too
// long for a narrower column (a destination table made by hand and filled
// by the data frame); and duplicates over a unique index that the source
// keeps inactive, which a whole clone keeps inactive too, so they all land. With "ignore the errors" every good row
// lands and the counters say rows handled = rows landed + errors; without
// it the table stops at its first refused row, whose count is the rows
// before it, and the destination keeps what the last commit held.
#include "app/engine/clone_job.h"
#include "frames/fr_select_data.h"
#include "hostile/hostile_fixture.h"
#include "support/test_host.h"

#include <algorithm>
#include <regex>
#include <set>

namespace dravik::test {
namespace {

constexpr int kRows = 2600;  // past the point where rows go in batches

struct Progress {
    long rows = -1, errors = -1;
};

std::vector<Progress> ProgressOf(const std::vector<engine::LogEntry>& entries) {
    std::vector<Progress> lines;
    static const std::regex text("^([0-9]+) записей \\(([0-9]+) ошибок\\)$");
    std::smatch m;
    for (const auto& e : entries)
        if (e.caption == "Скопировано:" && std::regex_match(e.text, m, text))
            lines.push_back({std::stol(m[1]), std::stol(m[2])});
    return lines;
}

// A source and a hand-made destination, both attached, and the data frame
// with a recording host.
// With `server`, both databases are named through the local server, which
// then copies the rows itself until it meets a refused row, after which
// the table goes through Dravik as above.
struct RefusalBench {
    explicit RefusalBench(bool throughServer = false) : server(throughServer) {
        if (!server) return;
        src = Remote(src);
        dst = Remote(dst);
    }
    TempDir dir;
    bool server;
    std::string src = dir.File("source.fdb"), dst = dir.File("destination.fdb");
    db::DbConnection source, destination;
    TestHost host;
    frames::TFrame_select_data frame;
    Snapshot before;

    ~RefusalBench() { Close(); }

    // R holds the ids 1..kRows; the ids in `tooLong` carry a 19-character
    // text, those in `nulls` a NULL in C. The destination's R takes 5
    // characters and no NULL in C.
    void Prepare(const std::set<int>& tooLong, const std::set<int>& nulls) {
        CreateDatabase(src);
        CreateDatabase(dst);
        const auto list = [](const std::set<int>& ids) {
            std::string text = "0";
            for (int id : ids) text += ", " + std::to_string(id);
            return text;
        };
        Isql(src, "create table R (ID integer not null, V varchar(20), C integer);\n"
                  "set term ^;\n"
                  "execute block as declare i integer = 1; begin\n"
                  "  while (i <= " + std::to_string(kRows) + ") do begin\n"
                  "    insert into R values (:i, iif(:i in (" + list(tooLong) + "), 'far too long a text', 'ok'),\n"
                  "      iif(:i in (" + list(nulls) + "), null, :i));\n"
                  "    i = i + 1;\n"
                  "  end\n"
                  "end^\n"
                  "set term ;^\ncommit;\n");
        Isql(dst, "create table R (ID integer not null, V varchar(5), C integer not null);\ncommit;\n");
        before = TakeSnapshot(src);
        Attach(source, src);
        Attach(destination, dst);
        frame.wizard = &host;
        if (server) frame.serverSource = frames::ExternalSource{dir.File("source.fdb"), "SYSDBA", kPassword};
        frame.LoadList(source, true);
        ASSERT_TRUE(frame.Select("R"));
    }

    // Copies R as the data pass does, then closes both connections so that
    // other processes may read the files.
    void Copy(bool ignoreErrors) {
        frame.ignoreErrors = ignoreErrors;
        frame.CopySelectedData(source, destination);
        Close();
    }

    void Close() {
        engine::CommitAndDisconnect(source);
        engine::CommitAndDisconnect(destination);
    }
};

TEST(RejectedRows, IgnoredRefusalsCostOnlyTheRefusedRows) {
  for (const bool server : {false, true}) {
    if (server && !ServerRunning()) continue;
    SCOPED_TRACE(server ? "the server copying" : "through Dravik");
    const std::set<int> tooLong = {7, 700, 1500, 2400}, nulls = {3, 1200, 2501};
    RefusalBench bench(server);
    ASSERT_NO_FATAL_FAILURE(bench.Prepare(tooLong, nulls));
    bench.Copy(true);
    const std::string name = std::string("refused rows, errors ignored") + (server ? ", on one server" : "");
    // The server gave up at the first refused row, and Dravik copied the table.
    const auto& entries = bench.host.run.entries;
    EXPECT_EQ(server, std::any_of(entries.begin(), entries.end(), [](const engine::LogEntry& e) {
                  return e.caption == "COPY DATA R" && e.text.rfind("copied through Dravik: ", 0) == 0;
              }));
    // One red line for the table: the number refused, the number copied, the first refusal.
    const auto red = bench.host.Errors();
    Ledger::Get().Case(name, red.size() == 1);
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(red[0].text.rfind("7 rows refused, 2593 copied; the first refusal: ", 0), 0u) << red[0].text;

    const auto progress = ProgressOf(bench.host.run.entries);
    ASSERT_FALSE(progress.empty());
    const Progress last = progress.back();
    const long refused = static_cast<long>(tooLong.size() + nulls.size());
    EXPECT_EQ(last.rows, kRows);
    EXPECT_EQ(last.errors, refused);
    // The counters match the destination exactly: handled = landed + refused.
    ExpectRows(name, bench.dst, "R", last.rows - last.errors);
    // And the rows that landed are exactly the good ones.
    long goodSum = static_cast<long>(kRows) * (kRows + 1) / 2;
    for (int id : tooLong) goodSum -= id;
    for (int id : nulls) goodSum -= id;
    EXPECT_EQ(Scalar(bench.dst, "select sum(ID) from R"), std::to_string(goodSum));
    EXPECT_EQ(Scalar(bench.dst, "select count(*) from R where V <> 'ok' or C <> ID"), "0");
    // Each intermediate line counts the refusals met so far.
    for (const Progress& p : progress) {
        long seen = 0;
        for (int id : tooLong) seen += id <= p.rows;
        for (int id : nulls) seen += id <= p.rows;
        EXPECT_EQ(p.errors, seen) << "at " << p.rows << " rows";
    }
    ExpectUnchanged(name, bench.src, bench.before);
  }
}

// The first refused row ends the table: what was posted since the last
// commit is rolled back, and the last progress line counts the rows the
// destination holds, with the one error.
TEST(RejectedRows, RefusalNotIgnoredEndsTheTableAtTheLastCommit) {
    struct Variant {
        const char* what;
        std::set<int> tooLong, nulls;
        long landed;
    };
    for (const Variant& v : std::vector<Variant>{
             {"NULL in row 3", {}, {3, 900}, 0},
             {"too long in row 700", {700, 800}, {}, 500},
             {"too long in row 1703, rows in batches", {1703}, {2000}, 1500},
         }) {
        SCOPED_TRACE(v.what);
        RefusalBench bench;
        ASSERT_NO_FATAL_FAILURE(bench.Prepare(v.tooLong, v.nulls));
        bench.Copy(false);
        const std::string name = std::string("refused rows, stop at the first: ") + v.what;
        const auto progress = ProgressOf(bench.host.run.entries);
        ASSERT_FALSE(progress.empty());
        const Progress last = progress.back();
        Ledger::Get().Case(name, last.errors == 1 && last.rows == v.landed);
        EXPECT_EQ(last.rows, v.landed);
        EXPECT_EQ(last.errors, 1);
        ExpectRows(name, bench.dst, "R", v.landed);
        EXPECT_EQ(Scalar(bench.dst, "select coalesce(max(ID), 0) from R"), std::to_string(v.landed));
        ExpectUnchanged(name, bench.src, bench.before);
    }
}

// A unique index the source keeps inactive over duplicate values is built
// active in the destination before the rows arrive: the duplicates are
// refused, counted, and the clone goes on. The table's computed column fails
// on row 1500 (a division by zero): the copy never writes it, so it never
// reads it, and neither does the verification.
class DuplicateRows : public HostileTest {
protected:
    void MakeDuplicates() {
        CreateDatabase(src);
        Isql(src, "create table U (ID integer not null, CODE varchar(10), Q computed by (1000 / (ID - 1500)));\n"
                  "create unique index U_CODE on U (CODE);\n"
                  "alter index U_CODE inactive;\ncommit;\n"
                  "set term ^;\n"
                  "execute block as declare i integer = 1; begin\n"
                  "  while (i <= 3000) do begin\n"
                  "    insert into U values (:i, iif(:i in (101, 1501, 2801), 'c' || (:i - 1), 'c' || :i));\n"
                  "    i = i + 1;\n"
                  "  end\n"
                  "end^\n"
                  "set term ;^\ncommit;\n");
    }
};

TEST_F(DuplicateRows, AnInactiveUniqueIndexStaysInactiveAndItsDuplicatesAndAFailingComputedColumnLand) {
    MakeDuplicates();
    const Snapshot before = TakeSnapshot(src);
    for (const char* stop : {"", "--stop-on-error"}) {
        std::vector<std::string> args = {src, dst};
        if (*stop) args.insert(args.begin(), stop);
        const Outcome run = RunCloneWithin(args);
        const std::string name = std::string("duplicates under an inactive index ") + stop;
        ExpectReport(name, run, 0);
        EXPECT_TRUE(HasLine(run.out, "Скопировано:: 3000 записей (0 ошибок)")) << run.out;
        ExpectRows(name, dst, "U", 3000);
        EXPECT_EQ(Scalar(dst, "select RDB$INDEX_INACTIVE from RDB$INDICES where RDB$INDEX_NAME = 'U_CODE'"), "1");
        EXPECT_EQ(Scalar(dst, "select Q from U where ID = 1501"), "1000");
        ExpectUnchanged(name, src, before);
    }
}

// Through the command line: stderr's counts are the sums of the tables' red
// lines and what the destination holds, and the red line gives the whole
// refusal. Row 600's five letters take ten bytes in UTF-8, which the
// destination's attachment reads as ten WIN1251 letters: too long for V.
class CommandLineRefusals : public HostileTest {};

TEST_F(CommandLineRefusals, CountsOnStderrAreTheLogsAndTheDestinations) {
    CreateDatabase(src, "UTF8");
    Isql(src, "create table R (ID integer, V varchar(5));\n"
              "set term ^;\n"
              "execute block as declare i integer = 1; begin\n"
              "  while (i <= 1000) do begin insert into R values (:i, iif(:i = 600, 'абвгд', 'ok')); i = i + 1; end\n"
              "end^\n"
              "set term ;^\ncommit;\n",
         false, "UTF8");
    const Snapshot before = TakeSnapshot(src);
    for (const bool stop : {false, true}) {
        std::vector<std::string> args = {"-c", "UTF8", "--dst-charset", "WIN1251", src, dst};
        if (stop) args.insert(args.begin(), "--stop-on-error");
        const std::string name = std::string("a refused row on the command line") + (stop ? ", --stop-on-error" : "");
        const Outcome run = RunCloneWithin(args);
        ExpectReport(name, run, 1);
        const long held = stop ? 500 : 999;
        EXPECT_TRUE(HasLine(run.out, "COPY DATA R: 1 row refused, " + std::to_string(held) +
                                         " copied; the first refusal: Dynamic SQL Error; SQL error code = -303; "
                                         "arithmetic exception, numeric overflow, or string truncation; string right "
                                         "truncation; expected length 5, actual 10"))
            << run.out;
        EXPECT_NE(run.err.find("dravik-clone: 1 row refused; the tables that refused rows hold " +
                               std::to_string(held) + " rows"),
                  std::string::npos)
            << run.err;
        ExpectRows(name, dst, "R", held);
        ExpectUnchanged(name, src, before);
    }
}

}  // namespace
}  // namespace dravik::test
