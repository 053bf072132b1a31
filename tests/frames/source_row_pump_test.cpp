// The reader thread hands over every row in order, raises a failure to read
// after the rows before it, and can be left at any row.
#include "frames/source_row_pump.h"
#include "support/test_support.h"

#include <stdexcept>

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

}  // namespace
