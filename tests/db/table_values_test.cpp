// Values of every column type read with AsVariant, written into a pending
// table row, and read back unchanged.
#include "db/db_error.h"
#include "db/db_query.h"
#include "db/db_table.h"
#include "support/test_support.h"

using namespace dravik::db;
using namespace dravik::test;

namespace {

const char* kColumns =
    "ID integer not null primary key, SI smallint, BI bigint, N152 numeric(15,2), D93 decimal(9,3), "
    "N42 numeric(4,2), FL float, DP double precision, DT date, TM time, TS timestamp, C10 char(10), "
    "V20 varchar(20), VW varchar(20) character set WIN1251, VU varchar(20) character set UTF8, "
    "OC char(4) character set OCTETS, B boolean, TB blob sub_type 1, TBW blob sub_type 1 character set WIN1251, "
    "BB blob sub_type 0";

class TableValues : public ::testing::Test {
protected:
    void SetUp() override {
        source = dir.File("src.fdb");
        target = dir.File("dst.fdb");
        CreateDatabase(source, "NONE");
        CreateDatabase(target, "NONE");
        const std::string ddl = std::string("create table T (") + kColumns + ");\n";
        Isql(source, ddl +
                         "insert into T values (1, -32768, -9223372036854775808, -1234567890123.45, 123456.789, "
                         "-99.99, 1.5, 3.141592653589793, '0001-01-01', '23:59:59.9999', '2026-12-08 16:51:38.1234', "
                         "'pad', 'O''Brien', _WIN1251 x'CFF0E8E2E5F2', _UTF8 'Привет', x'00FF7F80', true, "
                         "'text blob', _WIN1251 x'CFF0E8E2E5F2', x'000102FF');\n"
                         "insert into T (ID) values (2);\n"
                         "insert into T values (3, 32767, 9223372036854775807, 0.01, -0.001, 0, -0.0, -1e300, "
                         "'9999-12-31', '00:00:00', '1858-11-17 00:00:00', '', '', '', '', x'00000000', false, '', "
                         "'', '');\ncommit;\n");
        Isql(target, ddl + "commit;\n");
    }

    // Every column of every row, as text, ordered by ID.
    static std::vector<std::string> Rows(const std::string& database) {
        DbConnection c;
        Attach(c, database);
        std::vector<std::string> rows;
        {
            DbQuery q(c, "select * from T order by ID");
            q.Open();
            for (; !q.Eof(); q.Next()) {
                std::string row;
                for (int i = 0; i < q.FieldCount(); ++i)
                    row += (q.Fields(i).IsNull() ? "<null>" : q.Fields(i).AsString()) + "|";
                rows.push_back(row);
            }
        }
        return rows;
    }

    TempDir dir;
    std::string source, target;
};

TEST_F(TableValues, EveryTypeSurvivesACopyBetweenIdenticalColumns) {
    {
        DbConnection from, to;
        Attach(from, source);
        Attach(to, target);
        DbTable in(from, "T");
        DbTable out(to, "T");
        in.Open();
        out.Open();
        int rows = 0;
        for (; !in.Eof(); in.Next(), ++rows) {
            out.Insert();
            for (int i = 0; i < in.FieldCount(); ++i)
                out.FieldByName(in.Fields(i).FieldName()).SetValue(in.Fields(i).AsVariant());
            out.Post();
        }
        EXPECT_EQ(rows, 3);
        to.DefaultTransaction().Commit();
        from.DefaultTransaction().Commit();
    }
    const auto expected = Rows(source);
    ASSERT_EQ(expected.size(), 3u);
    EXPECT_EQ(Rows(target), expected);
    // And the values are what was inserted, not just equal to each other.
    EXPECT_EQ(Scalar(target, "select N152 from T where ID = 1"), "-1234567890123.45");
    EXPECT_EQ(Scalar(target, "select BI from T where ID = 1"), "-9223372036854775808");
    EXPECT_EQ(Scalar(target, "select TS from T where ID = 1"), "2026-12-08 16:51:38.1234");
    EXPECT_EQ(Scalar(target, "select TM from T where ID = 1"), "23:59:59.9999");
    EXPECT_EQ(Scalar(target, "select DT from T where ID = 3"), "9999-12-31");
    EXPECT_EQ(Scalar(target, "select VU from T where ID = 1", "UTF8"), "Привет");
    EXPECT_EQ(Scalar(target, "select TBW from T where ID = 1", "UTF8"), "Привет");
    EXPECT_EQ(Scalar(target, "select count(*) from T where ID = 2 and SI is null and TB is null and B is null"), "1");
}

TEST_F(TableValues, VariantsCarryTheirKinds) {
    DbConnection c;
    Attach(c, source);
    DbQuery q(c, "select N152, BI, FL, DP, DT, TM, TS, C10, B, BB from T where ID = 1");
    q.Open();
    const DbValue numeric = q.FieldByName("N152").AsVariant();
    EXPECT_EQ(numeric.kind, DbValueKind::Integer);
    EXPECT_EQ(numeric.scale, -2);
    EXPECT_EQ(numeric.integer, -123456789012345);
    EXPECT_EQ(q.FieldByName("FL").AsVariant().kind, DbValueKind::Float);
    EXPECT_EQ(q.FieldByName("DP").AsVariant().real, 3.141592653589793);
    EXPECT_EQ(q.FieldByName("DT").AsVariant().kind, DbValueKind::Date);
    EXPECT_EQ(q.FieldByName("TM").AsVariant().kind, DbValueKind::Time);
    EXPECT_EQ(q.FieldByName("TS").AsVariant().kind, DbValueKind::Timestamp);
    EXPECT_EQ(q.FieldByName("C10").AsVariant().bytes, "pad       ");
    EXPECT_TRUE(q.FieldByName("B").AsVariant().boolean);
    EXPECT_EQ(q.FieldByName("BB").AsVariant().bytes, std::string("\x00\x01\x02\xFF", 4));
    EXPECT_EQ(q.FieldByName("DT").AsString(), "0001-01-01");
}

TEST_F(TableValues, LargeBlobsAreReadWholeAndWritten) {
    const std::string big(200000, 'x');
    {
        DbConnection c;
        Attach(c, target);
        DbTable t(c, "T");
        t.Open();
        t.Insert();
        t.FieldByName("ID").SetValue(DbValue::Int(10));
        t.FieldByName("TB").SetValue(DbValue::BlobBytes(big + "end", 1));
        t.FieldByName("V20").SetValue(DbValue::Int(1234, -2));  // converted by the server
        t.Post();
        c.DefaultTransaction().Commit();
    }
    DbConnection c;
    Attach(c, target);
    DbQuery q(c, "select TB, V20 from T where ID = 10");
    q.Open();
    EXPECT_EQ(q.Fields(0).AsString(), big + "end");
    EXPECT_EQ(q.Fields(1).AsString(), "12.34");
}

TEST(TableRules, ComputedColumnsAreReadButNotInsertedAndDomainNotNullIsChecked) {
    TempDir dir;
    const std::string name = dir.File("c.fdb");
    CreateDatabase(name);
    Isql(name, "create domain DNN integer not null;\n"
               "create table \"Mixed Case\" (A integer, B computed by (A * 2), C DNN);\ncommit;\n");
    DbConnection c;
    Attach(c, name);
    {
        DbTable t(c, "Mixed Case   ");  // trailing blanks, as read from a catalogue column
        EXPECT_EQ(t.QuotedName(), "\"Mixed Case\"");
        t.Open();
        ASSERT_EQ(t.FieldCount(), 3);
        EXPECT_TRUE(t.FieldByName("B").computed);
        t.Insert();
        t.FieldByName("A").SetValue(DbValue::Int(21));
        t.FieldByName("B").SetValue(DbValue::Int(999));  // not sent
        try {
            t.Post();
            FAIL() << "a NULL in a NOT NULL domain was sent";
        } catch (const DbClientError& e) {
            EXPECT_STREQ(e.what(), "Field 'C' must have a value");
        }
        EXPECT_FALSE(t.Inserting());
        t.Insert();
        t.FieldByName("A").SetValue(DbValue::Int(21));
        t.FieldByName("C").SetValue(DbValue::Int(1));
        t.Post();
        c.DefaultTransaction().Commit();
    }
    EXPECT_EQ(Scalar(name, "select B from \"Mixed Case\""), "42");
}

TEST(Values, ScaledNumbersAndDatesAsText) {
    EXPECT_EQ(ScaledToText(1234, -2), "12.34");
    EXPECT_EQ(ScaledToText(-5, -2), "-0.05");
    EXPECT_EQ(ScaledToText(0, -3), "0.000");
    EXPECT_EQ(ScaledToText(INT64_MIN, -4), "-922337203685477.5808");
    EXPECT_EQ(EncodeDate(1858, 11, 17), 0);
    int y, m, d;
    DecodeDate(EncodeDate(2000, 2, 29), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000229);
}

}  // namespace
