// Table data: streamed rows, intermediate commits and progress lines,
// failed rows with and without "ignore the errors", a stop in the middle of
// a table, and every kind of value copied unchanged.
#include "app/engine/settings.h"
#include "db/db_error.h"
#include "frames/declareSQL.h"
#include "frames/fr_select_data.h"
#include "table_fixture.h"

using namespace dravik::frames;
using namespace dravik::test;
using dravik::db::DbValue;

namespace {

// NUMS holds the ids 1 to 1200 in insertion order, SMALL 1 to 10, EMPTY nothing.
const char* const kSource = R"(
create table NUMS (ID integer not null, V varchar(20));
create table SMALL (ID integer not null, V varchar(20));
create table EMPTY (ID integer);
set term ^;
execute block as
  declare i integer = 1;
begin
  while (i <= 1200) do begin
    insert into NUMS values (:i, 'row ' || :i);
    if (i <= 10) then insert into SMALL values (:i, 'small ' || :i);
    i = i + 1;
  end
end^
set term ;^
)";

std::string Progress(int rows, int errors) {
    return "Скопировано:: " + std::to_string(rows) + " записей (" + std::to_string(errors) + " ошибок)";
}

class DataFrame : public CloneFixture {
protected:
    TFrame_select_data frame;
    void SetUp() override { frame.wizard = &host; }

    // Copies one table through the data pass, as the job does.
    void Copy(const std::string& table) {
        frame.LoadList(source, true);
        ASSERT_TRUE(frame.Select(table));
        frame.CopySelectedData(source, destination);
    }

    // The progress lines of the run log.
    std::vector<std::string> ProgressLines() const {
        std::vector<std::string> lines;
        for (const auto& e : host.run.entries)
            if (e.caption == "Скопировано:") lines.push_back(dravik::engine::EntryLine(e));
        return lines;
    }

    // The destination's transaction is ended; the source's snapshot is the
    // caller's and lasts for the whole data pass.
    void ExpectTransactionsEnded() { EXPECT_FALSE(destination.DefaultTransaction().InTransaction()); }
    // The one red line of a table with refused rows.
    void ExpectRefusals(const std::string& table, const std::string& counts) {
        const auto errors = host.Errors();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].caption, "COPY DATA " + table);
        EXPECT_EQ(errors[0].text.rfind(counts + "; the first refusal: ", 0), 0u) << errors[0].text;
    }
};

TEST_F(DataFrame, ListingStartsUnpickedAndTheSummaryShowsThePicks) {
    Prepare(kSource + std::string("create view V_NUMS as select ID from NUMS;"));
    frame.LoadList(source, true);
    EXPECT_EQ(frame.SelectedCount(), 0);
    ASSERT_EQ(frame.srcList.Count(), 3);
    EXPECT_EQ(Trim(frame.srcList.Item(0).ObjectName), "EMPTY");
    ASSERT_TRUE(frame.Select("SMALL"));
    frame.WriteSummary();
    ASSERT_EQ(host.summary.entries.size(), 2u);
    EXPECT_EQ(host.summary.entries[0].caption, "\r\nData");
    EXPECT_EQ(host.summary.entries[1].text, "\t" + frame.SelectedName(0));
}

TEST_F(DataFrame, RowsAreCommittedEveryFiveHundredWithAProgressLineEachTime) {
    Prepare(kSource, "create table NUMS (ID integer not null, V varchar(20));");
    // When the 500 line is written, another attachment already sees 500 rows.
    std::string visibleAt500;
    host.onEvents = [&] {
        if (visibleAt500.empty() && !host.run.entries.empty() && dravik::engine::EntryLine(host.run.entries.back()) == Progress(500, 0))
            visibleAt500 = Scalar(dst, "select count(*) from NUMS");
    };
    Copy("NUMS");
    EXPECT_EQ(TrimmedLines(), (std::vector<std::string>{"COPY DATA: NUMS", Progress(500, 0),
                                                 Progress(1000, 0), Progress(1200, 0)}));
    EXPECT_EQ(visibleAt500, "500");
    EXPECT_EQ(Rows(dst, "select count(*), min(ID), max(ID), max(V) from NUMS"),
              std::vector<std::string>{"1200|1|1200|row 999"});
    ExpectTransactionsEnded();
}

TEST_F(DataFrame, TheCommitCountFieldSetsTheIntervalAndZeroMeansTheDefault) {
    Prepare(kSource, "create table NUMS (ID integer not null, V varchar(20));");
    dravik::engine::JobSettings settings;
    settings.commitEvery = 0;
    EXPECT_EQ(settings.CommitInterval(), 500);
    settings.commitEvery = -10;
    EXPECT_EQ(settings.CommitInterval(), 500);
    settings.commitEvery = 300;
    frame.commitInterval = settings.CommitInterval();
    Copy("NUMS");
    EXPECT_EQ(ProgressLines(), (std::vector<std::string>{Progress(300, 0), Progress(600, 0), Progress(900, 0),
                                                         Progress(1200, 0), Progress(1200, 0)}));
    EXPECT_EQ(Scalar(dst, "select count(*) from NUMS"), "1200");
}

TEST_F(DataFrame, IgnoredFailureSkipsOnlyTheFailingRow) {
    Prepare(kSource, "create table NUMS (ID integer not null, V varchar(20), check (ID <> 700));");
    Copy("NUMS");
    EXPECT_EQ(ProgressLines(), (std::vector<std::string>{Progress(500, 0), Progress(1000, 1), Progress(1200, 1)}));
    ExpectRefusals("NUMS", "1 row refused, 1199 copied");
    // Every good row landed: the counts are the destination's rows plus the error.
    EXPECT_EQ(Rows(dst, "select count(*), count(nullif(ID, 700)), "
                        "(select count(*) from NUMS where ID between 501 and 699) from NUMS"),
              std::vector<std::string>{"1199|1199|199"});
    ExpectTransactionsEnded();
}

TEST_F(DataFrame, AFailureNotIgnoredRollsBackToTheLastCommitAndEndsTheTable) {
    Prepare(kSource, "create table NUMS (ID integer not null, V varchar(20), check (ID <> 700));");
    frame.ignoreErrors = false;
    Copy("NUMS");
    // The counts go back with the rollback to what the destination holds.
    EXPECT_EQ(ProgressLines(), (std::vector<std::string>{Progress(500, 0), Progress(500, 1)}));
    ExpectRefusals("NUMS", "1 row refused, 500 copied");
    EXPECT_EQ(Rows(dst, "select count(*), max(ID) from NUMS"), std::vector<std::string>{"500|500"});
    ExpectTransactionsEnded();
}

TEST_F(DataFrame, TheThirdRowFailingWithoutIgnoreLeavesTheTableEmpty) {
    Prepare(kSource, "create table SMALL (ID integer not null, V varchar(20), check (ID <> 3));");
    frame.ignoreErrors = false;
    Copy("SMALL");
    EXPECT_EQ(TrimmedLines()[1], Progress(0, 1));
    ExpectRefusals("SMALL", "1 row refused, 0 copied");
    EXPECT_EQ(Scalar(dst, "select count(*) from SMALL"), "0");
    ExpectTransactionsEnded();
}

TEST_F(DataFrame, ADestinationWithoutASourceColumnFailsEveryRow) {
    Prepare(kSource, "create table SMALL (ID integer not null);");
    Copy("SMALL");
    EXPECT_EQ(ProgressLines(), std::vector<std::string>{Progress(10, 10)});
    EXPECT_EQ(Scalar(dst, "select count(*) from SMALL"), "0");

    host.run.Clear();
    frame.ignoreErrors = false;
    frame.CopyObjectData(source, destination, "SMALL");
    EXPECT_EQ(ProgressLines(), std::vector<std::string>{Progress(0, 1)});
}

TEST_F(DataFrame, AnEmptyTableWritesOneZeroLineAndCommits) {
    Prepare(kSource, "create table EMPTY (ID integer);");
    Copy("EMPTY");
    EXPECT_EQ(TrimmedLines(), (std::vector<std::string>{"COPY DATA: EMPTY", Progress(0, 0)}));
    ExpectTransactionsEnded();
}

TEST_F(DataFrame, ATableMissingInTheDestinationEndsWithARedLine) {
    Prepare(kSource);
    Copy("SMALL");
    // Its rows cannot land: the server's reason follows the first line, in red.
    const std::vector<std::string> lines = TrimmedLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "COPY DATA: SMALL");
    const auto errors = host.Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].caption, "COPY DATA");
    EXPECT_NE(errors[0].text.find("SMALL"), std::string::npos) << errors[0].text;
    ExpectTransactionsEnded();
}

TEST_F(DataFrame, AStopEndsTheCopyAfterTheCurrentRowAndCommitsWhatWasPosted) {
    Prepare(kSource, "create table NUMS (ID integer not null, V varchar(20));\n"
                     "create table SMALL (ID integer not null, V varchar(20));");
    frame.LoadList(source, true);
    ASSERT_TRUE(frame.Select("NUMS"));
    ASSERT_TRUE(frame.Select("SMALL"));
    // Events run once for the "COPY DATA" line, then once per copied row:
    // the flag set while row 299's events run is read after row 300.
    host.onEvents = [&] {
        if (host.eventRuns == 300) host.stop = true;
    };
    frame.CopySelectedData(source, destination);
    EXPECT_EQ(TrimmedLines(), (std::vector<std::string>{"COPY DATA: NUMS", Progress(300, 0)}));
    EXPECT_EQ(Rows(dst, "select count(*), max(ID) from NUMS"), std::vector<std::string>{"300|300"});
    EXPECT_EQ(Scalar(dst, "select count(*) from SMALL"), "0");
    ExpectTransactionsEnded();
}

// Every type of the foundation list, in a WIN1251 database.
const char* const kAllTypes = R"(
create table ALL_TYPES (
  ID integer not null primary key,
  C_SMALL smallint, C_INT integer, C_BIG bigint, C_NUM numeric(15,2), C_DEC decimal(9,3),
  C_FLOAT float, C_DOUBLE double precision, C_DATE date, C_TIME time, C_STAMP timestamp,
  C_CHAR char(10), C_VNONE varchar(20) character set none, C_V1251 varchar(30) character set win1251,
  C_VUTF varchar(40) character set utf8, C_BOOL boolean,
  C_TEXT blob sub_type text, C_BIN blob sub_type binary,
  C_SUM computed by (C_INT + ID)
);
)";

const char* const kAllValues = R"(
insert into ALL_TYPES (ID, C_SMALL, C_INT, C_BIG, C_NUM, C_DEC, C_FLOAT, C_DOUBLE, C_DATE, C_TIME, C_STAMP,
  C_CHAR, C_VNONE, C_V1251, C_VUTF, C_BOOL, C_TEXT, C_BIN)
values (1, -32768, 2147483600, 9223372036854775807, 1234567890123.45, -123456.789, 3.5, 1e0/3,
  '2024-02-29', '23:59:59.9999', '1858-11-17 00:00:00.0001',
  'Ёж', 'plain', 'Привет, мир', 'Здравствуй, мир', true, 'Текст', x'00FF10');
insert into ALL_TYPES (ID) values (2);
insert into ALL_TYPES (ID, C_SMALL, C_INT, C_BIG, C_NUM, C_DEC, C_FLOAT, C_DOUBLE, C_DATE, C_TIME, C_STAMP,
  C_CHAR, C_VNONE, C_V1251, C_VUTF, C_BOOL, C_TEXT, C_BIN)
values (3, 0, 0, 0, -0.01, 0.001, 0, -1e300, '0001-01-01', '00:00:00', '9999-12-31 23:59:59.9999',
  '', '', '', '', false, '', '');
)";

TEST_F(DataFrame, EveryValueIsCopiedExactly) {
    Prepare(std::string(kAllTypes) + kAllValues, kAllTypes, "WIN1251");
    // Blobs beyond 64 KB, through the layer: Cyrillic text in WIN1251 and every byte value.
    std::string cyrillic, binary;
    while (cyrillic.size() < 100000) cyrillic += "\xcf\xf0\xe8\xe2\xe5\xf2 ";  // "Привет " in WIN1251
    for (int i = 0; i < 70000; ++i) binary += static_cast<char>(i * 7 % 256);
    {
        auto table = NewTable(source, "ALL_TYPES");
        table->Open();
        table->Insert();
        table->FieldByName("ID").SetValue(DbValue::Int(4));
        table->FieldByName("C_TEXT").SetValue(DbValue::BlobBytes(cyrillic, 1, 52));
        table->FieldByName("C_BIN").SetValue(DbValue::BlobBytes(binary, 0));
        table->Post();
        source.DefaultTransaction().Commit();
    }

    Copy("ALL_TYPES");
    EXPECT_EQ(ProgressLines(), std::vector<std::string>{Progress(4, 0)});

    auto read = [](dravik::db::DbConnection& c) {
        std::vector<std::vector<DbValue>> rows;
        auto q = NewQuery(c, "select * from ALL_TYPES order by ID");
        for (q->Open(); !q->Eof(); q->Next()) {
            rows.emplace_back();
            for (int i = 0; i < q->FieldCount(); ++i) rows.back().push_back(q->Fields(i).AsVariant());
        }
        return rows;
    };
    const auto expected = read(source);
    const auto copied = read(destination);
    ASSERT_EQ(expected.size(), 4u);
    ASSERT_EQ(copied.size(), expected.size());
    for (size_t r = 0; r < expected.size(); ++r)
        for (size_t c = 0; c < expected[r].size(); ++c)
            EXPECT_TRUE(copied[r][c] == expected[r][c]) << "row " << r + 1 << ", column " << c;
    EXPECT_EQ(copied[3][16].bytes.size(), cyrillic.size());
    EXPECT_EQ(copied[3][17].bytes, binary);
    EXPECT_TRUE(copied[1][5].IsNull());
    EXPECT_FALSE(copied[2][12].IsNull());  // '' stays an empty text, not NULL

    // Read as UTF-8, the Cyrillic texts are what was written.
    EXPECT_EQ(Rows(dst, "select C_CHAR, C_V1251, C_VUTF, C_TEXT from ALL_TYPES where ID = 1", "UTF8"),
              std::vector<std::string>{"Ёж|Привет, мир|Здравствуй, мир|Текст"});
    EXPECT_EQ(Rows(dst, "select C_NUM, C_DEC, C_BIG, C_STAMP from ALL_TYPES where ID = 1"),
              std::vector<std::string>{"1234567890123.45|-123456.789|9223372036854775807|1858-11-17 00:00:00.0001"});
}

}  // namespace
