// The job runner: its lines, steps and buttons, a failed destination, a stop
// between objects, and the clock.
#include "db/db_error.h"
#include "engine/engine_bench.h"

#include <filesystem>

using namespace dravik;
using namespace dravik::test;
using dravik::engine::CommitAndDisconnect;

namespace {

std::string SmallSource(const TempDir& dir) {
    const std::string path = dir.File("src.fdb");
    CreateDatabase(path);
    Isql(path,
         "create domain d_code as varchar(10);\n"
         "create generator g_a;\ncreate generator g_b;\ncreate generator g_c;\n"
         "create table t1 (id integer not null primary key, code d_code);\n"
         "insert into t1 values (1, 'x');\ncommit;\n");
    return path;
}

TEST(RunJob, NothingSelectedWritesExactlyTheJobLinesInOrder) {
    TempDir dir;
    const std::string src = SmallSource(dir);
    const std::string dst = dir.File("dst.fdb");
    JobBench b;
    b.Databases(src, dst);
    b.job.LoadFrames();
    b.DeselectAll();
    const std::time_t start = LocalTime(2024, 3, 7, 9, 5, 1);
    b.clock = {start, start + 62};
    b.job.RequestStop();  // cleared by the job
    const engine::JobReport report = b.job.RunJob();
    ASSERT_EQ(report.outcome, engine::JobOutcome::Finished);

    EXPECT_EQ(b.Lines(), (std::vector<std::string>{"Start time:: 03-07-24 09:05:01", "", "DB " + src + ": connected",
                                                   "DB " + dst + ": created", "DB " + dst + ": connected",
                                                   std::string("COPY DATA: ") + engine::kNoRowsChosen,
                                                   "Start time:: 03-07-24 09:05:01", "Finish time:: 03-07-24 09:06:03",
                                                   "Duration:: 00:01:02", "", "Database copy: complete"}));
    for (const auto& e : b.run.entries) {
        // Green but for the note that no rows are copied.
        EXPECT_EQ(e.textColour, e.caption == "COPY DATA" ? engine::kNavy : engine::kGreen) << e.caption;
        EXPECT_EQ(e.captionColour, engine::kGrey);
    }
    EXPECT_EQ(b.ui.steps, (std::vector<std::string>{"M_DST", "M_UDF", "M_DOM", "M_GEN", "M_EXC", "M_PRC", "M_TAB",
                                                    "M_VIW", "M_DAT", "A_PRC", "A_TRG", "M_ROL", ""}));
    EXPECT_EQ(b.ui.navigation, std::vector<bool>{false});
    EXPECT_EQ(b.ui.finished, 1);
    EXPECT_TRUE(b.job.Finished());
    EXPECT_FALSE(b.job.StopRequested());
    EXPECT_FALSE(b.job.srcDb.Connected());
    EXPECT_FALSE(b.job.dstDb.Connected());
    EXPECT_EQ(report.errorLines, 0);
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$relations where rdb$system_flag = 0"), "0");
}

TEST(RunJob, DestinationThatCannotBeCreatedEndsWithTheFatalLinesAndMayRunAgain) {
    TempDir dir;
    const std::string src = SmallSource(dir);
    const std::string dst = dir.File("no-such-folder/dst.fdb");
    JobBench b;
    b.Databases(src, dst);
    const engine::JobReport report = b.job.RunJob();
    ASSERT_EQ(report.outcome, engine::JobOutcome::DestinationFailed);
    const auto first = b.Lines();
    ASSERT_EQ(first.size(), 5u);
    EXPECT_EQ(first[2], "DB " + src + ": connected");
    EXPECT_EQ(first[3], "Fatal error: DB " + dst +
                            " was not created. Choise other target database or remove database locks");
    ASSERT_EQ(b.Red().size(), 2u);
    EXPECT_EQ(b.Red()[1].caption, "");
    EXPECT_NE(b.Red()[1].text.find("dst.fdb"), std::string::npos) << b.Red()[1].text;
    EXPECT_EQ(report.errorLines, 2);
    EXPECT_EQ(report.errors, (std::vector<std::string>{engine::EntryLine(b.Red()[0]), engine::EntryLine(b.Red()[1])}));
    EXPECT_EQ(b.ui.navigation, (std::vector<bool>{false, true}));
    EXPECT_EQ(b.ui.steps, std::vector<std::string>{"M_DST"});
    EXPECT_EQ(b.ui.finished, 0);
    EXPECT_TRUE(b.job.srcDb.Connected());  // left as it was

    // A second run (after "<< Prev" and "Next >>") appends and clears the stop request again.
    b.job.RequestStop();
    const engine::JobReport second = b.job.RunJob();
    ASSERT_EQ(second.outcome, engine::JobOutcome::DestinationFailed);
    EXPECT_FALSE(b.job.StopRequested());
    const auto both = b.Lines();
    ASSERT_EQ(both.size(), 10u);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), both.begin()));
    EXPECT_EQ(both[5].rfind("Start time:: ", 0), 0u);
    EXPECT_EQ(second.errorLines, 2);  // counted per job
    EXPECT_EQ(b.ui.navigation, (std::vector<bool>{false, true, false, true}));
}

TEST(RunJob, UnreachableSourceLeavesTheJobWithItsErrorAndTheButtonsDisabled) {
    TempDir dir;
    JobBench b;
    b.Databases(dir.File("missing.fdb"), dir.File("dst.fdb"));
    EXPECT_THROW(b.job.RunJob(), db::DbError);
    EXPECT_EQ(b.ui.navigation, std::vector<bool>{false});
    EXPECT_EQ(b.Lines().size(), 1u);  // the start line only
    EXPECT_FALSE(std::filesystem::exists(dir.File("dst.fdb")));
}

TEST(RunJob, StopDuringAFrameEndsTheJobAfterTheCurrentObject) {
    TempDir dir;
    const std::string src = SmallSource(dir);
    const std::string dst = dir.File("dst.fdb");
    JobBench b;
    b.Databases(src, dst);
    b.job.LoadFrames();
    ASSERT_EQ(b.job.Frame_select_generator.SelectedCount(), 3);
    // "Cancel" confirmed while the generator frame works on its first object.
    b.ui.onEvents = [&] {
        if (!b.ui.steps.empty() && b.ui.steps.back() == "M_GEN") b.job.RequestStop();
    };
    EXPECT_EQ(b.job.RunJob().outcome, engine::JobOutcome::Stopped);
    EXPECT_EQ(b.ui.steps.back(), "M_GEN");
    EXPECT_EQ(b.CountCaption("Finish time:"), 0);
    EXPECT_EQ(b.CountCaption("Database copy"), 0);
    EXPECT_EQ(b.ui.navigation, std::vector<bool>{false});
    EXPECT_EQ(b.ui.finished, 0);
    EXPECT_TRUE(b.job.dstDb.Connected());  // a stopped job closes nothing
    CommitAndDisconnect(b.job.dstDb);
    CommitAndDisconnect(b.job.srcDb);
    EXPECT_EQ(Column(dst, "select rdb$generator_name from rdb$generators where rdb$system_flag = 0"),
              std::vector<std::string>{"G_A"});
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$fields where rdb$field_name = 'D_CODE'"), "1");
}

TEST(RunJob, DurationPastMidnightAndBeyondADay) {
    TempDir dir;
    const std::string src = SmallSource(dir);
    struct Case {
        std::time_t start, finish;
        std::string startText, finishText, duration;
    };
    const Case cases[] = {
        {LocalTime(2023, 12, 31, 23, 59, 30), LocalTime(2024, 1, 1, 0, 1, 15), "12-31-23 23:59:30",
         "01-01-24 00:01:15", "00:01:45"},
        {LocalTime(2024, 5, 1, 10, 0, 0), LocalTime(2024, 5, 2, 11, 0, 7), "05-01-24 10:00:00", "05-02-24 11:00:07",
         "01:00:07"},
    };
    int n = 0;
    for (const Case& c : cases) {
        JobBench b;
        b.Databases(src, dir.File("dst" + std::to_string(n++) + ".fdb"));
        b.clock = {c.start, c.finish};
        ASSERT_EQ(b.job.RunJob().outcome, engine::JobOutcome::Finished);
        const auto lines = b.Lines();
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[0], "Start time:: " + c.startText);
        EXPECT_EQ(lines[lines.size() - 5], "Start time:: " + c.startText);
        EXPECT_EQ(lines[lines.size() - 4], "Finish time:: " + c.finishText);
        EXPECT_EQ(lines[lines.size() - 3], "Duration:: " + c.duration);
    }
}

}  // namespace
