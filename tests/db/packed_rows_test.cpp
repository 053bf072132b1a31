// Rows read several to a fetch, with short blobs inline, give exactly what
// the plain select gives, less the computed column, which a reading of every
// row leaves out; short blobs written inline land byte for byte.
#include "db/db_query.h"
#include "db/db_table.h"
#include "support/test_support.h"

using namespace dravik::db;
using namespace dravik::test;

namespace {

const char* kTable =
    "create table T (ID integer not null, C char(3) character set WIN1251, "
    "TU blob sub_type 1 character set UTF8, TW blob sub_type 1 character set WIN1251, BB blob sub_type 0, "
    "K computed by (ID * 2));\ncommit;\n";

// 75 rows: two full fetches of 32 and a part. The UTF8 blob is NULL, empty,
// short, just under, at and just over 341 bytes (the inline width of a row
// with three blobs), or over 100,000 bytes long.
const char* kRows =
    "set term ^;\nexecute block as declare i integer = 0; declare big blob sub_type 1 character set UTF8 = '';\n"
    "begin\n"
    "while (i < 20) do begin big = big || rpad('', 5000, 'x'); i = i + 1; end\n"
    "i = 0;\n"
    "while (i < 75) do begin\n"
    "  insert into T (ID, C, TU, TW, BB) values (:i, iif(mod(:i, 4) = 0, null, _WIN1251 x'CFF0E8'),\n"
    "    decode(mod(:i, 7), 0, null, 1, '', 2, 'Привет ' || :i, 3, rpad('', 169, 'ж') || 'ab',\n"
    "      4, rpad('', 170, 'ж') || 'a', 5, rpad('', 171, 'ж'), :big || :i),\n"
    "    iif(mod(:i, 3) = 0, null, _WIN1251 x'CFF0E8E2E5F2'), iif(mod(:i, 5) = 0, x'', x'00FF00' || :i));\n"
    "  i = i + 1;\n"
    "end\nend^\nset term ;^\ncommit;\n";

using Row = std::vector<DbValue>;

// Every row of T by ID order, as values with their kinds, bytes and sets.
std::vector<Row> ReadAll(DbTable& table) {
    std::vector<Row> rows;
    for (; !table.Eof(); table.Next()) {
        Row row(static_cast<size_t>(table.FieldCount()));
        for (int i = 0; i < table.FieldCount(); ++i) table.Fields(i).ReadInto(row[static_cast<size_t>(i)]);
        rows.push_back(std::move(row));
    }
    return rows;
}

void ExpectSameRows(const std::vector<Row>& expected, const std::vector<Row>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t r = 0; r < expected.size(); ++r)
        for (size_t c = 0; c < expected[r].size(); ++c) {
            const DbValue& e = expected[r][c];
            const DbValue& a = actual[r][c];
            SCOPED_TRACE("row " + std::to_string(r) + " column " + std::to_string(c));
            EXPECT_EQ(a.kind, e.kind);
            EXPECT_EQ(a.bytes, e.bytes);
            EXPECT_EQ(a.integer, e.integer);
            EXPECT_EQ(a.charset, e.charset);
            EXPECT_EQ(a.subType, e.subType);
        }
}

std::vector<Row> PlainRows(DbConnection& connection) {
    DbTable table(connection, "T");
    table.Open();
    EXPECT_FALSE(table.RowsPacked());
    return ReadAll(table);
}

void ReadPackedAndWriteInline(bool throughServer) {
    TempDir dir;
    const std::string source = dir.File("src.fdb"), target = dir.File("dst.fdb");
    CreateDatabase(source);
    CreateDatabase(target);
    Isql(source, std::string(kTable) + kRows, false, "UTF8");
    Isql(target, kTable);
    const auto path = [&](const std::string& file) { return throughServer ? Remote(file) : file; };

    DbConnection from, to;
    Attach(from, path(source));
    Attach(to, path(target));
    const std::vector<Row> expected = PlainRows(from);
    ASSERT_EQ(expected.size(), 75u);
    {
        // So few rows are not worth compiling the block for: read plain.
        DbTable few(from, "T");
        few.OpenPacked();
        EXPECT_FALSE(few.RowsPacked());
    }
    {
        DbTable in(from, "T"), out(to, "T");
        in.OpenPacked(0);
        EXPECT_TRUE(in.RowsPacked());
        ASSERT_EQ(in.FieldCount(), 5);  // K, computed, is not read
        out.Open();
        const int batch = out.BatchCapacity();
        EXPECT_GT(batch, 8);
        std::vector<Row> packed;
        for (; !in.Eof(); in.Next()) {
            Row row(static_cast<size_t>(in.FieldCount()));
            out.Insert();
            for (int i = 0; i < in.FieldCount(); ++i) {
                in.Fields(i).ReadInto(row[static_cast<size_t>(i)]);
                out.Fields(i).SetValue(row[static_cast<size_t>(i)]);
            }
            packed.push_back(std::move(row));
            out.Queue();
            if (out.Queued() >= batch) {
                EXPECT_TRUE(out.FlushQueue(true).empty());
            }
        }
        EXPECT_TRUE(out.FlushQueue(true).empty());
        std::vector<Row> stored = expected;
        for (Row& row : stored) row.pop_back();
        ExpectSameRows(stored, packed);
    }
    // Closing the tables ended the transactions they started: the rows are committed.
    ExpectSameRows(expected, PlainRows(to));
    EXPECT_EQ(Scalar(target, "select count(*) from T where TU is not null and octet_length(TU) = 0"), "11");
    EXPECT_EQ(Scalar(target, "select count(*) from T where octet_length(TU) > 100000"), "10");
}

TEST(PackedRows, EmbeddedReadsAndInlineWritesKeepEveryValue) { ReadPackedAndWriteInline(false); }

TEST(PackedRows, ThroughTheServerReadsAndInlineWritesKeepEveryValue) {
    DRAVIK_REQUIRE_SERVER();
    ReadPackedAndWriteInline(true);
}

}  // namespace
