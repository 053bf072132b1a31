// The comparison of a database with its copy: the Verification section that
// ends a clone (scoped to what the clone was asked for, left out with
// --no-verify), and dravik-clone --compare with its exit statuses and one
// line per difference.
#include "cli/cli_fixture.h"
#include "db/code_page_text.h"

#include <fstream>
#include <iterator>

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

// A WIN1251 source converted into UTF8: declared in the new set, read back
// as the same characters, verified equal; what cannot be converted is named.
TEST_F(VerificationTest, TextConversionIntoUtf8KeepsTheCharactersAndNamesWhatDoesNotFit) {
    std::ifstream script(std::string(DRAVIK_SOURCE_DIR) + "/tests/cli/win1251_source.sql", std::ios::binary);
    const std::string utf8((std::istreambuf_iterator<char>(script)), std::istreambuf_iterator<char>());
    const std::string win1251 = dir.File("win1251.sql");
    std::ofstream(win1251, std::ios::binary) << db::ToCodePage(utf8, "WIN1251");
    CreateDatabase(src, "WIN1251", 8192);
    RunIsqlScript(src, win1251, "WIN1251");

    // Without a conversion the clone keeps every byte: the exception's
    // message, kept as its author's WIN1251 bytes, included.
    const CloneRun plain = RunClone({src, dst});
    EXPECT_EQ(plain.status, 0) << plain.out << plain.err;
    EXPECT_EQ(RunClone({"--convert-text", src, dst}).status, 2);
    EXPECT_EQ(RunClone({"--convert-text", "--default-charset", "WIN1251", src, dst}).status, 2);
    const CloneRun unknown = RunClone({"--convert-text", "--default-charset", "UTF8", "--none-as", "NOPE", src, dst});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("the code page of NONE texts NOPE is not a character set"), std::string::npos)
        << unknown.err;

    const CloneRun converted =
        RunClone({"--default-charset", "UTF8", "--convert-text", "--none-as", "WIN1251", src, dst});
    ASSERT_EQ(converted.status, 0) << converted.out << converted.err;
    EXPECT_TRUE(HasLine(converted.out, "PERSON: 3 rows, equal")) << converted.out;
    EXPECT_TRUE(HasLine(converted.out, "column PERSON.CITY: collation PXW_CYRL does not exist in UTF8: declared with "
                                       "the set's default collation UTF8")) << converted.out;
    const auto utf = [&](const std::string& sql) { return Scalar(dst, sql, "UTF8"); };
    EXPECT_EQ(utf("select NAME || '|' || CITY || '|' || CODE || '|' || RAW_NAME || '|' || NOTE from PERSON "
                  "where ID = 1"), "Иван|Москва|АБВ  |Петя|Длинный текст про Ивана");
    EXPECT_EQ(utf("select char_length(NOTE) from PERSON where ID = 3"), "3011");
    EXPECT_EQ(utf("select list(distinct trim(cs.RDB$CHARACTER_SET_NAME)) from RDB$RELATION_FIELDS rf join RDB$FIELDS f "
                  "on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE join RDB$CHARACTER_SETS cs on cs.RDB$CHARACTER_SET_ID = "
                  "f.RDB$CHARACTER_SET_ID where rf.RDB$RELATION_NAME = 'PERSON' and f.RDB$FIELD_TYPE <> 8"),
              "OCTETS,UTF8");
    EXPECT_NE(utf("select RDB$VIEW_SOURCE from RDB$RELATIONS where RDB$RELATION_NAME = 'V_PERSON'").find("'Нигде'"),
              std::string::npos);
    EXPECT_EQ(utf("select RDB$MESSAGE from RDB$EXCEPTIONS"), "Недопустимое значение");
    const std::string trigger = utf("select RDB$TRIGGER_SOURCE from RDB$TRIGGERS where RDB$TRIGGER_NAME = 'PERSON_BI'");
    EXPECT_NE(trigger.find("VARCHAR(10) CHARACTER SET UTF8  = 'тест'"), std::string::npos) << trigger;
    EXPECT_NE(trigger.find("'Имя запрещено: CHARACTER SET WIN1251'"), std::string::npos) << trigger;
    EXPECT_EQ(utf("select MSG from GREET('мир')"), "Привет, мир");

    // Bytes that are not UTF-8, a length beyond UTF8's limit, a key too long.
    Isql(src, "CREATE TABLE WIDE (LONGTEXT VARCHAR(10000), KEYED VARCHAR(600));\n"
              "CREATE INDEX WIDE_KEYED ON WIDE (KEYED);\nCOMMIT;\n");
    const CloneRun refused = RunClone({"--default-charset", "UTF8", "--convert-text", "--none-as", "UTF8", src, dst});
    EXPECT_EQ(refused.status, 1) << refused.out << refused.err;
    EXPECT_TRUE(HasLineStarting(refused.out, "COPY DATA PERSON: 1 row refused, 2 copied; the first refusal: column "
                                             "RAW_NAME: its bytes are not valid")) << refused.out;
    EXPECT_TRUE(HasLine(refused.out, "column WIDE.LONGTEXT: VARCHAR(10000) is longer than UTF8 holds: declared "
                                     "VARCHAR(8191); a longer value is a refused row")) << refused.out;
    EXPECT_TRUE(HasLineStarting(refused.out, "index WIDE_KEYED on WIDE (KEYED): its key takes up to 2400 bytes"))
        << refused.out;
}

}  // namespace
}  // namespace dravik::test
