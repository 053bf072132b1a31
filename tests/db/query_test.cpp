// Queries, statements and the auto-transaction rule on a real database.
#include "db/db_error.h"
#include "db/db_query.h"
#include "support/test_support.h"

using namespace dravik::db;
using namespace dravik::test;

namespace {

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        name = dir.File("q.fdb");
        CreateDatabase(name);
        Isql(name, "create table T (ID integer not null primary key, NAME char(10), NOTE varchar(20));\n"
                   "insert into T values (1, 'one', 'a');\ninsert into T values (2, 'two', null);\n"
                   "insert into T values (3, 'three', 'c');\ncommit;\n");
        Attach(c, name);
    }
    TempDir dir;
    std::string name;
    DbConnection c;
};

TEST_F(QueryTest, ListingQueryAloneLeavesNoTransactionBehind) {
    {
        DbQuery q(c, "select ID from T order by ID");
        q.Open();
        EXPECT_TRUE(c.DefaultTransaction().InTransaction());
        int n = 0;
        for (; !q.Eof(); q.Next()) ++n;
        EXPECT_EQ(n, 3);
    }
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
    c.Disconnect();  // possible only because nothing is left active
    EXPECT_FALSE(c.Connected());
}

TEST_F(QueryTest, ClosingTheStarterWhileAnotherIsOpenLeavesTheTransactionActive) {
    auto first = std::make_unique<DbQuery>(c, "select ID from T");
    auto second = std::make_unique<DbQuery>(c, "select NAME from T");
    first->Open();
    second->Open();
    first.reset();
    second.reset();
    EXPECT_TRUE(c.DefaultTransaction().InTransaction());
    c.DefaultTransaction().Commit();
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
}

TEST_F(QueryTest, HardCommitClosesOpenQueriesRetainingDoesNot) {
    DbQuery q(c, "select ID from T order by ID");
    q.Open();
    c.DefaultTransaction().CommitRetaining();
    EXPECT_TRUE(q.Active());
    q.Next();
    EXPECT_EQ(q.Fields(0).AsInteger(), 2);
    c.DefaultTransaction().Commit();
    EXPECT_FALSE(q.Active());
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
}

TEST_F(QueryTest, NonSelectTextIsExecutedOnceAndCommittedLater) {
    c.DefaultTransaction().StartTransaction();
    DbQuery q(c, "CREATE ROLE AUDITOR;");
    q.Open();
    EXPECT_TRUE(q.Active());
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(Scalar(name, "select count(*) from RDB$ROLES where RDB$ROLE_NAME = 'AUDITOR'"), "0");
    c.DefaultTransaction().Commit();
    EXPECT_EQ(Scalar(name, "select count(*) from RDB$ROLES where RDB$ROLE_NAME = 'AUDITOR'"), "1");
}

TEST_F(QueryTest, FieldByNameFindsTheFirstOfDuplicateColumns) {
    DbQuery q(c, "select f.*, ff.* from RDB$RELATION_FIELDS f, RDB$FIELDS ff where f.RDB$RELATION_NAME = 'T' and "
                 "f.RDB$FIELD_SOURCE = ff.RDB$FIELD_NAME order by f.RDB$FIELD_POSITION");
    q.Open();
    EXPECT_EQ(q.FieldByName("rdb$field_name").AsString().substr(0, 2), "ID");
    // The later column of the same name is renamed with the smallest free number.
    DbField& renamed = q.FieldByName("RDB$FIELD_NAME1");
    EXPECT_EQ(renamed.AsString().substr(0, 4), "RDB$");
    try {
        q.FieldByName("NO_SUCH");
        FAIL();
    } catch (const DbClientError& e) {
        EXPECT_STREQ(e.what(), "Field 'NO_SUCH' not found");
    }
}

TEST(FieldNames, DuplicatesAndNamelessColumnsGetNumbers) {
    EXPECT_EQ(UniqueFieldNames({"A", "A", "A1", "A", ""}),
              (std::vector<std::string>{"A", "A2", "A1", "A3", "F_1"}));
    const std::string longName(31, 'X');
    EXPECT_EQ(UniqueFieldNames({longName, longName})[1], std::string(30, 'X') + "1");
    // Quoted names that differ only in case are different columns.
    EXPECT_EQ(UniqueFieldNames({"value", "VALUE"}), (std::vector<std::string>{"value", "VALUE"}));
}

TEST_F(QueryTest, FetchAllCountsRowsAndReturnsToTheCurrentRow) {
    DbQuery q(c, "select ID from T order by ID");
    q.Open();
    q.FetchAll();
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_EQ(q.Fields(0).AsInteger(), 1);
    q.Next();
    q.Next();
    EXPECT_EQ(q.Fields(0).AsInteger(), 3);
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST_F(QueryTest, StringsKeepCharPaddingAndNullReadsEmpty) {
    DbQuery q(c, "select NAME, NOTE, ID from T where ID = 2");
    q.Open();
    EXPECT_EQ(q.Fields(0).AsString(), "two       ");
    EXPECT_TRUE(q.Fields(1).IsNull());
    EXPECT_EQ(q.Fields(1).AsString(), "");
    EXPECT_EQ(q.Fields(1).AsInteger(), 0);
    try {
        q.Fields(0).AsInteger();
        FAIL();
    } catch (const DbClientError& e) {
        EXPECT_STREQ(e.what(), "'two       ' is not a valid integer value");
    }
}

TEST_F(QueryTest, EmptyTextAndServerErrorsLeaveNothingActive) {
    DbQuery empty(c, "");
    try {
        empty.Open();
        FAIL();
    } catch (const DbClientError& e) {
        EXPECT_STREQ(e.what(), "Empty query");
    }
    DbQuery bad(c, "select NO_COLUMN from T");
    EXPECT_THROW(bad.Open(), DbServerError);
    EXPECT_FALSE(bad.Active());
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
}

TEST_F(QueryTest, StatementNeedsAnActiveTransactionAndKeepsParameterMarkersOfBodies) {
    DbStatement s(c, "insert into T values (4, 'four', 'd')");
    try {
        s.ExecQuery();
        FAIL();
    } catch (const DbClientError& e) {
        EXPECT_STREQ(e.what(), "Transaction is not active");
    }
    c.DefaultTransaction().StartTransaction();
    s.ExecQuery();
    // A body with :variables reaches the server unchanged.
    DbStatement p(c, "create procedure P (A integer) returns (B integer) as begin B = :A + 1; suspend; end");
    p.ExecQuery();
    c.DefaultTransaction().Commit();
    EXPECT_EQ(Scalar(name, "select B from P(41)"), "42");
    EXPECT_EQ(Scalar(name, "select count(*) from T"), "4");
}

TEST_F(QueryTest, FailedStatementKeepsTheTransactionForTheCallerToEnd) {
    c.DefaultTransaction().StartTransaction();
    DbStatement ok(c, "insert into T values (5, 'five', 'e')");
    ok.ExecQuery();
    DbStatement duplicate(c, "insert into T values (5, 'again', 'e')");
    EXPECT_THROW(duplicate.ExecQuery(), DbServerError);
    EXPECT_TRUE(c.DefaultTransaction().InTransaction());
    c.DefaultTransaction().Rollback();
    EXPECT_EQ(Scalar(name, "select count(*) from T"), "3");
}

}  // namespace

TEST_F(QueryTest, KeptQueryIsPreparedOnceAndTakesEachNameAsItIs) {
    c.Disconnect();
    Isql(name, "create table \"it's \xC3\xA9\" (X integer);\ncommit;\n");
    c.Connect();
    const std::string sql = "select count(*) from RDB$RELATION_FIELDS where RDB$RELATION_NAME = ?";
    const auto columns = [&](const std::string& table) {
        KeptQuery q(c, sql, {table});
        q->Open();
        return q->Fields(0).AsInteger();
    };
    EXPECT_EQ(columns("T"), 3);
    EXPECT_EQ(columns("it's \xC3\xA9"), 1);  // a quote and UTF-8 bytes, as a literal would carry them
    EXPECT_EQ(columns("NO_SUCH"), 0);
    {
        // While the kept one is open, the same text runs in a query of its own.
        KeptQuery outer(c, sql, {"T"});
        outer->Open();
        EXPECT_EQ(columns("it's \xC3\xA9"), 1);
        EXPECT_EQ(outer->Fields(0).AsInteger(), 3);
    }
    const auto kept = [&] {
        DbQuery q(c, "select count(*) from MON$STATEMENTS where MON$ATTACHMENT_ID = CURRENT_CONNECTION "
                     "and MON$SQL_TEXT starting with 'select count(*) from RDB$RELATION_FIELDS'");
        q.Open();
        return q.Fields(0).AsInteger();
    };
    EXPECT_EQ(kept(), 1);
    c.Disconnect();  // drops it, and takes nothing active along
    c.Connect();
    EXPECT_EQ(kept(), 0);
    EXPECT_EQ(columns("T"), 3);
}
