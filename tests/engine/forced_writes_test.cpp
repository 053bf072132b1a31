// The destination's forced writes are off while the job builds and fills it
// and are back on when the job ends, however it ends.
#include "db/db_error.h"
#include "db/db_query.h"
#include "engine_bench.h"

using namespace dravik;
using namespace dravik::test;

namespace {

class ForcedWrites : public ::testing::Test {
protected:
    void SetUp() override {
        source = dir.File("src.fdb");
        destination = dir.File("dst.fdb");
        CreateDatabase(source);
        Isql(source, "create table T (ID integer not null primary key, V varchar(10));\ncommit;\nset term ^;\n"
                     "execute block as declare i integer = 0; begin while (i < 1500) do begin "
                     "insert into T values (:i, 'v' || :i); i = i + 1; end end^\nset term ;^\ncommit;\n");
        bench.Databases(source, destination);
        bench.job.LoadFrames();
        bench.job.Frame_select_data.btn_selectAllClick();
    }
    std::string ForcedWritesOf(const std::string& database) {
        return Scalar(database, "select MON$FORCED_WRITES from MON$DATABASE");
    }
    TempDir dir;
    std::string source, destination;
    JobBench bench;
};

TEST_F(ForcedWrites, OffWhileTheJobRunsOnAfterIt) {
    std::string modeWhileCreating, modeDuringCopy;
    bench.ui.onEvents = [&] {
        if (modeWhileCreating.empty() && bench.CountCaption("CREATE TABLE") == 1)
            modeWhileCreating = ForcedWritesOf(destination);
        if (modeDuringCopy.empty() && bench.CountCaption("Скопировано:") == 1)
            modeDuringCopy = ForcedWritesOf(destination);
    };
    EXPECT_EQ(bench.job.RunJob().outcome, engine::JobOutcome::Finished);
    EXPECT_EQ(modeWhileCreating, "0");
    EXPECT_EQ(modeDuringCopy, "0");
    EXPECT_EQ(ForcedWritesOf(destination), "1");
    EXPECT_EQ(Scalar(destination, "select count(*) from T"), "1500");
    // The line that switched them off does not linger in the attach lines.
    for (const std::string& line : bench.job.dstDb.Params()) EXPECT_NE(line, "FORCE_WRITE=0");
    // Nor does any attachment of the job (the one that held the database open).
    EXPECT_EQ(Scalar(destination, "select count(*) from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> "
                                  "CURRENT_CONNECTION and MON$SYSTEM_FLAG = 0"),
              "0");
}

TEST_F(ForcedWrites, BackOnWhenTheJobIsStoppedInTheMiddleOfATable) {
    bench.ui.onEvents = [&] {
        if (bench.CountCaption("Скопировано:") == 1) bench.job.RequestStop();
    };
    EXPECT_EQ(bench.job.RunJob().outcome, engine::JobOutcome::Stopped);
    bench.job.dstDb.Disconnect();
    EXPECT_EQ(ForcedWritesOf(destination), "1");
}

TEST_F(ForcedWrites, BackOnWhenTheJobIsStoppedInTheCreatePass) {
    bench.ui.onEvents = [&] {
        if (bench.CountCaption("CREATE TABLE") == 1) bench.job.RequestStop();
    };
    EXPECT_EQ(bench.job.RunJob().outcome, engine::JobOutcome::Stopped);
    bench.job.dstDb.Disconnect();
    EXPECT_EQ(ForcedWritesOf(destination), "1");
}

TEST(ParameterBufferNumbers, ForceWriteTakesZeroOrOne) {
    EXPECT_EQ(db::BuildParameterBuffer({"FORCE_WRITE=0"}),
              std::string("\x01", 1) + char(isc_dpb_force_write) + char(1) + char(0));
    EXPECT_THROW(db::BuildParameterBuffer({"FORCE_WRITE=yes"}), db::DbClientError);
}

}  // namespace
