// Long tables are inserted a batch of rows at a time; a failing row inside a
// batch costs that row only, and counts and commits stay row-exact.
#include "frames/fr_select_data.h"
#include "table_fixture.h"

using namespace dravik;
using namespace dravik::test;

namespace {

// 3000 rows; the rows whose ID is in `bad` carry a value too long for the
// destination's narrower column.
std::string Source(const std::string& bad) {
    return "create table T (ID integer not null primary key, V varchar(20), B blob sub_type 1);\n"
           "set term ^;\nexecute block as declare i integer = 1; begin while (i <= 3000) do begin "
           "insert into T values (:i, iif(:i in (" + bad + "), 'far too long', 'ok' || mod(:i, 7)), "
           "iif(mod(:i, 5) = 0, 'blob ' || :i, null)); i = i + 1; end end^\nset term ;^\n";
}
const char* kNarrow = "create table T (ID integer not null primary key, V varchar(5), B blob sub_type 1);\n";

class BatchedCopy : public CloneFixture {
protected:
    void Copy(bool ignoreErrors) {
        frames::TFrame_select_data frame;
        frame.wizard = &host;
        frame.ignoreErrors = ignoreErrors;
        frame.CopyObjectData(source, destination, "T");
    }
    std::string Count() { return Rows(dst, "select count(*) from T").at(0); }
};

TEST_F(BatchedCopy, IgnoredFailuresInsideBatchesLoseOnlyTheirRows) {
    Prepare(Source("1500, 2222, 2223, 3000"), kNarrow);
    Copy(true);
    const auto lines = Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Скопировано:: 3000 записей (4 ошибок)");
    EXPECT_EQ(lines.back().rfind("COPY DATA T: 4 rows refused, 2996 copied; the first refusal: ", 0), 0u)
        << lines.back();
    EXPECT_EQ(Count(), "2996");
    EXPECT_EQ(Rows(dst, "select count(*) from T where ID in (1500, 2222, 2223, 3000)").at(0), "0");
    // Every other row arrived whole, blobs included.
    EXPECT_EQ(Rows(dst, "select sum(ID), count(B), max(cast(B as varchar(20))) from T"),
              Rows(src, "select sum(ID), count(B), max(cast(B as varchar(20))) from T where ID not in "
                        "(1500, 2222, 2223, 3000)"));
}

TEST_F(BatchedCopy, AFailureNotIgnoredInsideABatchKeepsOnlyTheCommittedRows) {
    Prepare(Source("1700"), kNarrow);
    Copy(false);
    // Rows 1 to 1699 were handled; the commit at 1500 is what stays, and
    // what the counts say.
    const auto lines = Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Скопировано:: 1500 записей (1 ошибок)");
    EXPECT_EQ(lines.back().rfind("COPY DATA T: 1 row refused, 1500 copied", 0), 0u) << lines.back();
    EXPECT_EQ(Count(), "1500");
    EXPECT_FALSE(destination.DefaultTransaction().InTransaction());
}

TEST_F(BatchedCopy, ProgressLinesAndCommitsFallOnTheIntervalWhileBatching) {
    Prepare(Source("0"), kNarrow);
    std::vector<std::string> seen;  // rows another attachment sees at each progress line
    host.onEvents = [&] {
        const auto& last = host.run.entries.back();
        if (last.caption == "Скопировано:" && seen.size() < host.run.entries.size() - 1)
            seen.push_back(Count());
    };
    Copy(true);
    EXPECT_EQ(Lines().back(), "Скопировано:: 3000 записей (0 ошибок)");
    ASSERT_GE(seen.size(), 6u);
    EXPECT_EQ(seen[1], "1000");
    EXPECT_EQ(seen[4], "2500");
    EXPECT_EQ(Count(), "3000");
}

TEST_F(BatchedCopy, AStopWhileRowsWaitInABatchCommitsThemAll) {
    Prepare(Source("0"), kNarrow);
    int events = 0;
    host.onEvents = [&] {
        if (++events == 1300) host.stop = true;
    };
    Copy(true);
    const std::string last = Lines().back();
    const std::string counted = last.substr(last.find(": ") + 2, last.find(' ', last.find(": ") + 2) - last.find(": ") - 2);
    EXPECT_EQ(Count(), counted) << last;
    EXPECT_GT(std::stoi(counted), 1000);
    EXPECT_LT(std::stoi(counted), 3000);
}

}  // namespace
