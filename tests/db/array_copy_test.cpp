// Array values copied through the slice calls, before and after the
// thousandth row (where the copy starts queueing rows for batches):
// every element arrives (texts in UTF8, numerics with their scale, dates), a
// NULL array stays NULL, and a destination column of other bounds fails the
// row with both shapes named.
#include "db/array_slices.h"
#include "db/db_error.h"
#include "db/db_query.h"
#include "db/db_table.h"
#include "frames/table_row_copier.h"
#include "support/test_support.h"

using namespace dravik;
using namespace dravik::db;
using namespace dravik::test;

namespace {

constexpr int kRows = 1200;  // past the thousandth row, so batches are sent too

const char* kTable =
    "create table T (ID integer not null primary key, I integer[1:5], "
    "V varchar(10)[0:2, 1:3] character set UTF8, N numeric(9,2)[3], D date[2], E integer[1:2]);\n"
    "create table W (ID integer not null primary key, I integer[1:5]);\n";

// Appends one element of a fixed size.
template <typename T>
void Put(std::string& bytes, T value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// The array value of column `column` of T for row `id`, laid out as the
// slice calls take it (elements in row-major order).
DbValue Element(DbConnection& c, const std::string& column, int id) {
    DbValue value;
    value.kind = DbValueKind::Array;
    auto desc = std::make_shared<ISC_ARRAY_DESC>(LookupArrayBounds(c, c.DefaultTransaction(), "T", column));
    if (column == "I")
        for (int k = 1; k <= 5; ++k) Put<int32_t>(value.bytes, id * 10 + k);
    if (column == "N")
        for (int k = 1; k <= 3; ++k) Put<int32_t>(value.bytes, id * 100 + k);  // id.0k
    if (column == "D")
        for (int k = 1; k <= 2; ++k) Put<ISC_DATE>(value.bytes, EncodeDate(2000, 1, 1) + id + k);
    if (column == "V")
        for (int i = 0; i <= 2; ++i)
            for (int j = 1; j <= 3; ++j) {
                std::string text = "ж" + std::to_string(id % 100) + "-" + std::to_string(i) + std::to_string(j);
                // A varying element travels as a C string in the column's length + 2 bytes.
                text.resize(desc->array_desc_length + 2u, '\0');
                value.bytes += text;
            }
    value.array = desc;
    return value;
}

// Every element of every row of T as the server's SQL reads them, one line a row.
std::vector<std::string> Elements(DbConnection& c) {
    std::string list = "ID";
    for (int k = 1; k <= 5; ++k) list += ", I[" + std::to_string(k) + "]";
    for (int i = 0; i <= 2; ++i)
        for (int j = 1; j <= 3; ++j) list += ", V[" + std::to_string(i) + ", " + std::to_string(j) + "]";
    list += ", N[1], N[2], N[3], D[1], D[2], E[1], E[2]";
    DbQuery q(c, "select " + list + " from T order by ID");
    q.Open();
    std::vector<std::string> rows;
    for (; !q.Eof(); q.Next()) {
        std::string line;
        for (int f = 0; f < q.FieldCount(); ++f) line += (q.Fields(f).IsNull() ? "<null>" : q.Fields(f).AsString()) + "|";
        rows.push_back(line);
    }
    q.Close();
    return rows;
}

TEST(ArrayCopy, EveryElementArrivesPastTheThousandthRowAndOtherBoundsFailTheRow) {
    ASSERT_TRUE(ArrayWriteAvailable());
    TempDir dir;
    const std::string src = dir.File("src.fdb"), dst = dir.File("dst.fdb");
    CreateDatabase(src);
    CreateDatabase(dst);
    Isql(src, std::string(kTable) + "commit;\n");
    Isql(dst, "create table T (ID integer not null primary key, I integer[1:5], "
              "V varchar(10)[0:2, 1:3] character set UTF8, N numeric(9,2)[3], D date[2], E integer[1:2]);\n"
              "create table W (ID integer not null primary key, I integer[1:4]);\ncommit;\n");
    DbConnection source, destination;
    Attach(source, src, "UTF8");
    Attach(destination, dst, "UTF8");
    {
        DbTable t(source, "T");
        t.Open();
        for (int id = 1; id <= kRows; ++id) {
            t.Insert();
            t.FieldByName("ID").SetValue(DbValue::Int(id));
            // Every seventh row leaves I NULL; E is NULL throughout.
            if (id % 7) t.FieldByName("I").SetValue(Element(source, "I", id));
            for (const char* column : {"V", "N", "D"}) t.FieldByName(column).SetValue(Element(source, column, id));
            t.Post();
        }
        t.Close();  // commits
        DbTable w(source, "W");  // one row whose I has the bounds of T's
        w.Open();
        w.Insert();
        w.FieldByName("ID").SetValue(DbValue::Int(1));
        w.FieldByName("I").SetValue(Element(source, "I", 1));
        w.Post();
        w.Close();  // commits: the table started the transaction
    }

    const std::vector<std::string> expected = Elements(source);
    ASSERT_EQ(expected.size(), static_cast<size_t>(kRows));
    EXPECT_EQ(expected[0], "1|11|12|13|14|15|ж1-01|ж1-02|ж1-03|ж1-11|ж1-12|ж1-13|ж1-21|ж1-22|ж1-23|"
                           "1.01|1.02|1.03|2000-01-03|2000-01-04|<null>|<null>|");
    EXPECT_EQ(expected[6].substr(0, 30), "7|<null>|<null>|<null>|<null>|");

    frames::TableRowCopier copier(source, destination, "T", false, 500, [] { return false; }, [](auto, auto, auto) {});
    while (copier.CopyRow()) {
    }
    ASSERT_TRUE(copier.Flush());
    copier.Finish();
    EXPECT_EQ(copier.Rows(), kRows);
    EXPECT_EQ(copier.Errors(), 0);
    EXPECT_EQ(Elements(destination), expected);
    EXPECT_EQ(Scalar(dst, "select count(*) from T where I is null"), std::to_string(kRows / 7));
    EXPECT_EQ(Scalar(dst, "select count(*) from T where E is null"), std::to_string(kRows));

    // W: [1:5] in the source, [1:4] in the destination.
    DbTable from(source, "W"), to(destination, "W");
    from.Open();
    to.Open();
    to.Insert();
    for (const char* column : {"ID", "I"}) to.FieldByName(column).SetValue(from.FieldByName(column).AsVariant());
    try {
        to.Post();
        ADD_FAILURE() << "a row with other bounds was inserted";
    } catch (const DbClientError& e) {
        EXPECT_EQ(e.ErrorNumber(), DbClientError::kArrayShapeDiffers);
        EXPECT_STREQ(e.what(), "Array column 'I' is INTEGER[1:5] in the source, INTEGER[1:4] in the destination");
    }
}

}  // namespace
