// The comparison of a database with its copy: the Verification section that
// ends a clone (scoped to what the clone was asked for, left out with
// --no-verify), and dravik-clone --compare with its exit statuses and one
// line per difference.
#include "cli/cli_fixture.h"

namespace dravik::test {
namespace {

class VerificationTest : public CliFixture {
protected:
    // The small source with a named check, a plain index and a column default.
    void MakeComparedSource() {
        MakeSmallSource();
        Isql(src, "ALTER TABLE ITEM ADD CONSTRAINT ITEM_PRICE CHECK (PRICE > 0);\n"
                  "CREATE INDEX ITEM_NOTE ON ITEM (NOTE);\n"
                  "ALTER TABLE TAG ALTER LABEL SET DEFAULT 'none';\nCOMMIT;\n");
    }
};

TEST_F(VerificationTest, CloneEndsWithVerificationScopedToWhatWasAsked) {
    MakeComparedSource();
    const CloneRun whole = RunClone({src, dst});
    ASSERT_EQ(whole.status, 0) << whole.out << whole.err;
    EXPECT_TRUE(HasLine(whole.out, "Verification: the destination compared with the source")) << whole.out;
    EXPECT_TRUE(HasLine(whole.out, "table: 2 equal")) << whole.out;
    EXPECT_TRUE(HasLine(whole.out, "index: 2 equal")) << whole.out;
    EXPECT_TRUE(HasLine(whole.out, "ITEM: 25 rows, equal")) << whole.out;
    EXPECT_TRUE(HasLine(whole.out, "TAG: 3 rows, equal")) << whole.out;
    EXPECT_TRUE(HasLineStarting(whole.out, "Verification time: ")) << whole.out;

    // Only ITEM and its rows were asked for: the rest of the source is not missed.
    const CloneRun subset = RunClone({"--tables", "ITEM", "--data", "ITEM", "--views", "none", "--procedures",
                                      "none", "--no-generator-values", src, dst});
    ASSERT_EQ(subset.status, 0) << subset.out << subset.err;
    EXPECT_TRUE(HasLine(subset.out, "table: 1 equal")) << subset.out;
    EXPECT_TRUE(HasLine(subset.out, "ITEM: 25 rows, equal")) << subset.out;
    EXPECT_FALSE(HasLineStarting(subset.out, "TAG: ")) << subset.out;
    EXPECT_FALSE(HasLineStarting(subset.out, "view: ")) << subset.out;

    const CloneRun unverified = RunClone({"--no-verify", src, dst});
    ASSERT_EQ(unverified.status, 0) << unverified.out << unverified.err;
    EXPECT_EQ(unverified.out.find("Verification"), std::string::npos) << unverified.out;
    EXPECT_EQ(Lines(unverified.out).back(), "Database copy: complete");
}

TEST_F(VerificationTest, EveryKindLeftOutNarrowsTheVerification) {
    MakeComparedSource();
    Isql(src, "SET TERM ^ ;\n"
              "CREATE FUNCTION TWICE (X INTEGER) RETURNS INTEGER AS BEGIN RETURN X * 2; END^\n"
              "CREATE PROCEDURE TWICE AS BEGIN END^\n"
              "CREATE PACKAGE PK AS BEGIN FUNCTION ONE RETURNS INTEGER; END^\n"
              "CREATE PACKAGE BODY PK AS BEGIN FUNCTION ONE RETURNS INTEGER AS BEGIN RETURN 1; END END^\n"
              "CREATE TRIGGER ON_CONNECT ON CONNECT AS BEGIN END^\n"
              "SET TERM ; ^\nCOMMIT;\n");
    for (const char* option : {"--functions", "--packages", "--db-triggers", "--udfs", "--exceptions"}) {
        const CloneRun narrowed = RunClone({option, "none", src, dst});
        EXPECT_EQ(narrowed.status, 0) << option << "\n" << narrowed.out << narrowed.err;
        EXPECT_TRUE(HasLine(narrowed.out, "table: 2 equal")) << option << "\n" << narrowed.out;
    }
    // Left out, the function is neither copied nor missed; the rest is compared.
    const CloneRun noFunction = RunClone({"--functions", "none", src, dst});
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$functions where rdb$function_name = 'TWICE'"), "0");
    EXPECT_TRUE(HasLine(noFunction.out, "trigger: 1 equal")) << noFunction.out;
    EXPECT_TRUE(HasLine(noFunction.out, "package: 1 equal")) << noFunction.out;
    // A procedure and a function of one name: leaving out the procedures leaves the function in.
    const CloneRun onlyFunction = RunClone({"--procedures", "none", src, dst});
    EXPECT_EQ(onlyFunction.status, 0) << onlyFunction.out << onlyFunction.err;
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$functions where rdb$function_name = 'TWICE'"), "1");
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$procedures where rdb$procedure_name = 'TWICE'"), "0");
}

TEST_F(VerificationTest, CompareFindsCopiesEqualAndNamesEachDifference) {
    MakeComparedSource();
    ASSERT_EQ(RunClone({"--no-verify", src, dst}).status, 0);
    const CloneRun clone = RunClone({"--compare", src, dst});
    EXPECT_EQ(clone.status, 0) << clone.out << clone.err;
    EXPECT_TRUE(HasLineStarting(clone.out, "equal: ")) << clone.out;
    const std::string gbak = dir.File("gbak.fdb");
    GbakClone(src, gbak);
    const CloneRun restored = RunClone({"--compare", src, gbak});
    EXPECT_EQ(restored.status, 0) << restored.out << restored.err;

    Isql(gbak, "UPDATE TAG SET LABEL = 'green' WHERE ID = 1;\nDELETE FROM ITEM WHERE ID = 25;\n"
               "ALTER TABLE ITEM DROP CONSTRAINT ITEM_PRICE;\nCOMMIT;\n"
               "ALTER TABLE ITEM ADD CONSTRAINT ITEM_PRICE CHECK (PRICE >= 0);\n"
               "DROP INDEX ITEM_NOTE;\nALTER TABLE TAG ALTER LABEL SET DEFAULT 'other';\nCOMMIT;\n");
    const CloneRun changed = RunClone({"--compare", src, gbak});
    EXPECT_EQ(changed.status, 1) << changed.out << changed.err;
    EXPECT_EQ(Lines(changed.out),
              (std::vector<std::string>{
                  "column TAG.LABEL: default differs: DEFAULT 'none' | DEFAULT 'other'",
                  "constraint ITEM_PRICE: check differs: CHECK (PRICE > 0) | CHECK (PRICE >= 0)",
                  "index ITEM_NOTE: only in source",
                  "table ITEM: rows 25 vs 24",
                  "table TAG: rows differ (3 each)",
              }))
        << changed.out;
    EXPECT_EQ(changed.err, "dravik-clone: 5 differences\n");

    // The databases' own dialect and page size are compared as well.
    const std::string dialect1 = dir.File("dialect1.fdb"), dialect3 = dir.File("dialect3.fdb");
    CreateDatabase(dialect1, "NONE", 4096, 1);
    CreateDatabase(dialect3, "NONE", 8192);
    EXPECT_EQ(Lines(RunClone({"--compare", dialect1, dialect3}).out),
              (std::vector<std::string>{"database database: dialect differs: 1 | 3",
                                        "database database: page size differs: 4096 | 8192"}));
}

TEST_F(VerificationTest, CompareOfAnUnreadableDatabaseExitsTwo) {
    MakeSmallSource();
    const CloneRun missing = RunClone({"--compare", src, dir.File("none.fdb")});
    EXPECT_EQ(missing.status, 2) << missing.out << missing.err;
    EXPECT_TRUE(HasLineStarting(missing.err, "dravik-clone: the destination database " + dir.File("none.fdb") +
                                                 " cannot be read: "))
        << missing.err;
    EXPECT_EQ(missing.out, "");
}

// Every value of a select, row by row, as typed values.
std::vector<std::vector<db::DbValue>> Values(const std::string& database, const std::string& select) {
    db::DbConnection connection;
    Attach(connection, database);
    std::vector<std::vector<db::DbValue>> rows;
    db::DbQuery query(connection, select);
    for (query.Open(); !query.Eof(); query.Next()) {
        rows.emplace_back();
        for (int i = 0; i < query.FieldCount(); ++i) rows.back().push_back(query.Fields(i).AsVariant());
    }
    return rows;
}

// A dialect 1 source migrated to dialect 3 verifies equal and reads back the
// same values; a stored text dialect 3 still refuses is a red line of its own.
TEST_F(VerificationTest, Dialect1SourceMigratedToDialect3KeepsEveryValue) {
    CreateDatabase(src, "ISO8859_1", 8192, 1);
    RunIsqlScript(src, std::string(DRAVIK_SOURCE_DIR) + "/tests/fidelity/sources/dialect1_migration.sql");
    const CloneRun run = RunClone({"--dialect", "3", src, dst});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(HasLine(run.out, "LEDGER: 4 rows, equal")) << run.out;
    EXPECT_EQ(Scalar(dst, "select mon$sql_dialect from mon$database"), "3");
    EXPECT_EQ(Scalar(dst, "select rdb$field_type || ' ' || rdb$field_scale from rdb$fields "
                          "where rdb$field_name = 'MONEY'"),
              "27 0");
    for (const char* select : {"select * from LEDGER order by ENTRY_ID", "select * from OPEN_ENTRIES order by 1",
                               "select TOTAL, FIRST_BOOKED from ACCOUNT_TOTAL"})
        EXPECT_EQ(Values(src, select), Values(dst, select)) << select;
    // The trigger's DATE variable holds a time in dialect 3 too; the column
    // default keeps its quotes.
    Exec(dst, "insert into LEDGER (ENTRY_ID, AMOUNT, BOOKED) values (20, 1, NULL)");
    EXPECT_EQ(Scalar(dst, "select BOOKED || ' ' || ACCOUNT from LEDGER where ENTRY_ID = 20"),
              "1999-12-31 23:59:59.0000 it's \"cash\"");

    Isql(src, "SET SQL DIALECT 1;\nCREATE VIEW TWICE AS SELECT ACCOUNT * 2 AS N FROM LEDGER;\nCOMMIT;\n");
    const CloneRun refused = RunClone({"--dialect", "3", src, dst});
    EXPECT_EQ(refused.status, 1) << refused.out << refused.err;
    EXPECT_TRUE(HasLine(refused.out, "CREATE VIEW TWICE: unsuccessful metadata update")) << refused.out;
    EXPECT_TRUE(HasLine(refused.out, "  Strings cannot be multiplied in dialect 3")) << refused.out;
    EXPECT_TRUE(HasLine(refused.out, "Verification: view TWICE: only in source")) << refused.out;
    EXPECT_EQ(Count(dst, "OPEN_ENTRIES"), "3");
}

}  // namespace
}  // namespace dravik::test
