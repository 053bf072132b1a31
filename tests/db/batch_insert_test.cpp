// Rows queued on a table go in batches; a refused batch is retried row by row.
#include "db/db_query.h"
#include "db/db_table.h"
#include "support/test_support.h"

using namespace dravik::db;
using namespace dravik::test;

namespace {

class BatchInsert : public ::testing::Test {
protected:
    void SetUp() override {
        name = dir.File("b.fdb");
        CreateDatabase(name);
        Isql(name, "create table T (ID integer not null primary key, V varchar(10) character set WIN1251, "
                   "N numeric(9,2), B blob sub_type 0);\ninsert into T (ID) values (4);\ncommit;\n");
        Attach(c, name);
    }
    // Queues rows with the given ids.
    void QueueRows(DbTable& t, const std::vector<int>& ids) {
        for (int id : ids) {
            t.Insert();
            t.FieldByName("ID").SetValue(DbValue::Int(id));
            t.FieldByName("V").SetValue(DbValue::Str("v" + std::to_string(id)));
            t.FieldByName("N").SetValue(DbValue::Int(id * 100 + 5, -2));
            t.FieldByName("B").SetValue(DbValue::BlobBytes(std::string(3, char(id))));
            t.Queue();
        }
    }
    TempDir dir;
    std::string name;
    DbConnection c;
};

TEST_F(BatchInsert, ABatchLandsWholeWithItsValues) {
    DbTable t(c, "T");
    t.Open();
    ASSERT_GT(t.BatchCapacity(), 8);
    QueueRows(t, {10, 11, 12, 13, 14, 15, 16, 17});
    EXPECT_EQ(t.Queued(), 8);
    EXPECT_TRUE(t.FlushQueue(false).empty());
    EXPECT_EQ(t.Queued(), 0);
    c.DefaultTransaction().Commit();
    EXPECT_EQ(Scalar(name, "select count(*) from T"), "9");
    EXPECT_EQ(Scalar(name, "select V || '/' || N from T where ID = 13"), "v13/13.05");
    EXPECT_EQ(Scalar(name, "select octet_length(B) from T where ID = 17"), "3");
}

TEST_F(BatchInsert, ARefusedBatchLosesOnlyItsFailingRows) {
    DbTable t(c, "T");
    t.Open();
    QueueRows(t, {1, 2, 3, 4, 5, 6});  // 4 exists already
    const auto failures = t.FlushQueue(false);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].row, 3);
    EXPECT_NE(failures[0].message.find("violation of PRIMARY or UNIQUE KEY"), std::string::npos);
    c.DefaultTransaction().Commit();
    EXPECT_EQ(Scalar(name, "select list(ID) from (select ID from T order by ID)"), "1,2,3,4,5,6");
    EXPECT_EQ(Scalar(name, "select count(*) from T where V is null"), "1");  // the old row 4 is untouched
}

TEST_F(BatchInsert, StoppingAtTheFirstFailureLeavesTheRowsAfterItUntried) {
    DbTable t(c, "T");
    t.Open();
    QueueRows(t, {1, 2, 4, 5});
    const auto failures = t.FlushQueue(true);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].row, 2);
    c.DefaultTransaction().Commit();
    EXPECT_EQ(Scalar(name, "select list(ID) from (select ID from T order by ID)"), "1,2,4");
}

}  // namespace
