// The source read ahead of the writer: the reader thread hands over every
// row in order, raises a failure to read after the rows before it, and can be
// left at any row; tables opened ahead in the windows the job gives are handed
// out only in the snapshot they were opened in.
#include "frames/source_row_pump.h"
#include "frames/source_table_prefetch.h"
#include "support/test_support.h"

#include <chrono>
#include <stdexcept>
#include <thread>

using namespace dravik;
using namespace dravik::test;

namespace {

TEST(SourceRowPump, RowsInOrderThenTheFailureAndAnEarlyEndDoesNotWait) {
    TempDir dir;
    const std::string name = dir.File("p.fdb");
    CreateDatabase(name);
    // A blob on every third row; U's D on row 1500 only holds a letter that
    // ISO8859_1, the code page U is read with, has not.
    Isql(name,
         "create table T (ID integer, B blob sub_type 1);\n"
         "create table U (ID integer, D varchar(4) character set WIN1251);\ncommit;\n"
         "set term ^;\nexecute block as declare i integer = 1; begin\n"
         "while (i <= 2000) do begin insert into T (ID, B) values (:i, iif(mod(:i, 3) = 0, 'b' || :i, null));\n"
         "i = i + 1; end end^\nset term ;^\n"
         "insert into U select ID, iif(ID = 1500, '\u0416', 'a') from T order by ID;\ncommit;\n",
         false, "UTF8");
    db::DbConnection c;
    Attach(c, name);
    const auto readAll = [&](int stopAfter) {
        db::DbTable t(c, "T");
        t.OpenPacked(0);
        frames::SourceRowPump pump(t, {&t.FieldByName("ID"), &t.FieldByName("B")});
        int rows = 0;
        while (frames::SourceRowPump::Row* row = pump.Next()) {
            ++rows;
            EXPECT_EQ(row->at(0).integer, rows);
            EXPECT_EQ(row->at(1).IsNull(), rows % 3 != 0);
            if (rows == stopAfter) break;
        }
        return rows;
    };
    EXPECT_EQ(readAll(0), 2000);
    EXPECT_EQ(readAll(10), 10);  // the pump is destroyed while it reads ahead
    int delivered = 0;
    try {
        db::DbConnection latin;
        Attach(latin, name, "ISO8859_1");
        db::DbTable t(latin, "U");
        t.OpenPacked(0);
        frames::SourceRowPump pump(t, {&t.FieldByName("ID"), &t.FieldByName("D")});
        while (frames::SourceRowPump::Row* row = pump.Next()) EXPECT_EQ(row->at(0).integer, ++delivered);
        ADD_FAILURE() << "no failure after " << delivered << " rows";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot transliterate"), std::string::npos) << e.what();
    }
    EXPECT_GT(delivered, 1000);
    EXPECT_LT(delivered, 1500);
}

TEST(SourceTablePrefetch, OpensOnlyInWindowsAndGivesNothingOfAnEndedSnapshot) {
    TempDir dir;
    const std::string name = dir.File("ahead.fdb");
    CreateDatabase(name);
    Isql(name, "create table E (ID integer);\ncreate table R (ID integer);\ncommit;\n"
               "insert into R values (1);\ninsert into R values (2);\ninsert into R values (3);\ncommit;\n");
    db::DbConnection c;
    Attach(c, name);
    c.DefaultTransaction().SetActive(true);
    const auto openedInAWindow = [&c](std::vector<std::string> tables) {
        auto prefetch = std::make_unique<frames::SourceTablePrefetch>(c, std::move(tables));
        const frames::SourceTablePrefetch::Window window(prefetch.get());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // ample for two tiny tables
        return prefetch;
    };
    {
        frames::SourceTablePrefetch idle(c, {"R"});
        EXPECT_FALSE(idle.Take("R").table) << "opened with no window";
    }
    auto ahead = openedInAWindow({"E", "R"});
    EXPECT_TRUE(ahead->Take("E").empty);
    frames::OpenedSource r = ahead->Take("R");
    ASSERT_TRUE(r.table);
    int rows = 0;
    for (; !r.table->Eof(); r.table->Next()) EXPECT_EQ(r.table->FieldByName("ID").AsInteger(), ++rows);
    EXPECT_EQ(rows, 3);
    EXPECT_FALSE(ahead->Take("R").table) << "handed out twice";

    // Opened, then the snapshot ends: the rows are another moment's.
    auto stale = openedInAWindow({"E", "R"});
    c.DefaultTransaction().Commit();
    c.DefaultTransaction().SetActive(true);
    const frames::OpenedSource late = stale->Take("R");
    EXPECT_FALSE(late.table);
    EXPECT_FALSE(late.empty);
    EXPECT_FALSE(stale->Take("E").empty);
}

}  // namespace
