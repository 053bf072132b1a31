// Loading the frames' lists from the source and the summary of the job.
#include "engine/engine_bench.h"

using namespace dravik;
using namespace dravik::test;

namespace {

TEST(LoadFrames, FillsEveryFrameAndClosesTheSource) {
    TempDir dir;
    const std::string src = dir.File("src.fdb");
    CreateDatabase(src);
    Isql(src, "create generator g1;\ncreate table t1 (a integer);\ncreate table t2 (a integer);\ncommit;\n");
    JobBench b;
    b.job.settings.srcPath = src;
    b.job.LoadFrames();
    EXPECT_FALSE(b.job.srcDb.Connected());
    EXPECT_EQ(b.job.srcDb.CodePage(), "NONE");
    EXPECT_EQ(b.job.srcDb.Params().back(), "NO_DB_TRIGGERS=1");
    EXPECT_EQ(b.job.Frame_select_generator.SelectedCount(), 1);
    EXPECT_EQ(b.job.Frame_select_table1.SelectedCount(), 2);
    EXPECT_EQ(b.job.Frame_select_data.SelectedCount(), 0);  // no table starts picked for data
    EXPECT_EQ(b.job.Frame_select_data.srcList.Count(), 2);

    // Loading again discards the picks.
    b.job.Frame_select_table1.btn_deselectAllClick();
    b.job.LoadFrames();
    EXPECT_EQ(b.job.Frame_select_table1.SelectedCount(), 2);
}

TEST(LoadFrames, UnreachableSourceRaisesAndLeavesTheListsAlone) {
    TempDir dir;
    JobBench b;
    b.job.settings.srcPath = dir.File("missing.fdb");
    EXPECT_ANY_THROW(b.job.LoadFrames());
    EXPECT_EQ(b.job.Frame_select_table1.srcList.Count() + b.job.Frame_select_table1.dstList.Count(), 0);
}

TEST(WriteJobSummary, SettingsOptionsAndEachFramesSection) {
    TempDir dir;
    const std::string src = dir.File("src.fdb");
    CreateDatabase(src, "NONE", 4096, 1);
    Isql(src, "create generator g1;\ncreate table t1 (a integer);\nset term ^;\n"
              "create function f1 returns integer as begin return 1; end^\nset term ;^\ncommit;\n");
    JobBench b;
    b.job.settings.srcPath = src;
    b.job.settings.dstPath = "/elsewhere/dst.fdb";
    b.job.settings.srcCodePage = "WIN1251";
    b.job.settings.dstUser = "OTHER";
    b.job.settings.createRoles = true;
    b.job.LoadFrames();
    b.job.Frame_select_data.Select("T1");
    b.job.WriteJobSummary("Instructions\r\n");

    const std::vector<std::string> expected = {
        "Instructions\r\n",
        "Database clone job: ",
        "Source database: " + src,
        "User name: SYSDBA",
        "Code page: WIN1251\r\n",
        "Tatget database: /elsewhere/dst.fdb",
        "User name: OTHER",
        "Codepage: NONE",
        "Default character set: NONE",  // the source's own
        "SQL dialect: 1",               // the source's own, none asked for
        "Options: ",
        "\tReplase the database if it does exist",
        "\tInherite the roles",
        "\r\nUser Defined Functions (UDF): ",
        "\r\nDomains: ",
        "\r\nGenerators: ",
        "\tG1",
        "\r\nExceptions: ",
        "\r\nProcedures: ",
        "\tFUNCTION F1",  // another kind than the page's: named by its caption
        "\r\nTables: ",
        "\tT1",
        "\r\nViews: ",
        "\r\nData: ",
        "\tT1",
    };
    auto lines = b.summary.Lines();
    for (auto& line : lines)  // object names come blank-padded from the catalogue
        if (line.size() > 1 && line[0] == '\t') line.erase(line.find_last_not_of(' ') + 1);
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(b.summary.entries[1].textColour, engine::kDarkRed);
    EXPECT_EQ(b.summary.entries[2].textColour, engine::kBlack);
    EXPECT_TRUE(b.run.entries.empty());
}

}  // namespace
