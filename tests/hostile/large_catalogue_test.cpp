// A source with 1,000 tables (a row each) and 1,000 procedures: the lists
// fill, the clone finishes with every object and row, its run log of some
// 6,000 lines arrives whole, and the times to list and to clone are shown.
#include "engine/engine_bench.h"
#include "hostile/hostile_fixture.h"

#include <chrono>
#include <cstdio>
#include <sstream>

namespace dravik::test {
namespace {

constexpr int kObjects = 1000;

std::string Numbered(const char* prefix, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%04d", prefix, i);
    return name;
}

int CountLines(const std::string& text, const std::string& prefix) {
    int count = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) ++count;
    return count;
}

class LargeCatalogue : public HostileTest {
protected:
    void MakeLargeSource() {
        CreateDatabase(src);
        std::string script = "set autoddl off;\n";
        for (int i = 1; i <= kObjects; ++i)
            script += "create table " + Numbered("TB_", i) + " (ID integer not null primary key, V varchar(20));\n";
        script += "commit;\nset term ^;\n";
        for (int i = 1; i <= kObjects; ++i)
            script += "create procedure " + Numbered("PR_", i) + " (A integer) returns (B integer) as begin B = A + " +
                      std::to_string(i) + "; suspend; end^\n";
        script += "set term ;^\ncommit;\n";
        for (int i = 1; i <= kObjects; ++i)
            script += "insert into " + Numbered("TB_", i) + " values (" + std::to_string(i) + ", 'row of " +
                      Numbered("TB_", i) + "');\n";
        script += "commit;\n";
        Isql(src, script);
    }
};

TEST_F(LargeCatalogue, ThousandTablesAndProceduresAreListedAndClonedWithALongRunLog) {
    MakeLargeSource();
    const Snapshot before = TakeSnapshot(src);

    // Listing: what the selection pages offer, in this process and from the command line.
    {
        JobBench bench;
        bench.Databases(src, dst);
        const auto started = std::chrono::steady_clock::now();
        bench.job.LoadFrames();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("[ figures  ] listing 1,000 tables and 1,000 procedures: %.2f s in the job\n", seconds);
        RecordProperty("list_seconds_job", std::to_string(seconds));
        EXPECT_EQ(bench.job.Frame_select_table1.dstList.Count(), kObjects);
        EXPECT_EQ(bench.job.Frame_select_procedure.dstList.Count(), kObjects);
        EXPECT_EQ(bench.job.Frame_select_data.srcList.Count(), kObjects);
        EXPECT_LT(seconds, 30);
    }
    const Outcome list = RunCloneWithin({"--list", src}, 60);
    ExpectReport("1,000 tables and procedures: --list", list, 0);
    std::printf("[ figures  ] dravik-clone --list: %.2f s, %d lines\n", list.seconds, CountLines(list.out, ""));
    RecordProperty("list_seconds_cli", std::to_string(list.seconds));
    EXPECT_EQ(CountLines(list.out, "\tTB_"), 2 * kObjects);  // tables and data pages
    EXPECT_EQ(CountLines(list.out, "\tPR_"), kObjects);

    // The clone.
    const Outcome run = RunCloneWithin({src, dst}, 280);
    ExpectReport("1,000 tables and procedures: clone", run, 0);
    const int logLines = CountLines(run.out, "");
    std::printf("[ figures  ] clone of 1,000 tables and 1,000 procedures: %.2f s, run log of %d lines\n", run.seconds,
                logLines);
    RecordProperty("clone_seconds", std::to_string(run.seconds));
    RecordProperty("run_log_lines", std::to_string(logLines));
    EXPECT_GT(logLines, 1000);
    EXPECT_EQ(CountLines(run.out, "CREATE TABLE: TB_"), kObjects);
    EXPECT_EQ(CountLines(run.out, "COPY DATA: TB_"), kObjects);
    EXPECT_EQ(CountLines(run.out, "Скопировано:: 1 записей (0 ошибок)"), kObjects);
    EXPECT_EQ(CountLines(run.out, "PROCEDURE: PR_"), kObjects);  // each made whole: none calls another
    EXPECT_TRUE(run.out.size() > 2 && run.out.substr(run.out.size() - 24) == "Database copy: complete\n")
        << run.out.substr(run.out.size() > 200 ? run.out.size() - 200 : 0);

    // Every table with its row, every procedure with its body.
    const Snapshot copy = TakeSnapshot(dst);
    EXPECT_EQ(copy.tables, before.tables);
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$procedures where rdb$procedure_name starting 'PR_'"),
              std::to_string(kObjects));
    EXPECT_EQ(Scalar(dst, "select B from " + Numbered("PR_", 777) + "(1)"), "778");
    long total = 0;
    for (const std::string& table : copy.tables) total += table.find(": 1 rows,") != std::string::npos;
    Ledger::Get().RowCheck("1,000 tables and procedures", kObjects - total);
    ExpectUnchanged("1,000 tables and procedures", src, before);
}

}  // namespace
}  // namespace dravik::test
