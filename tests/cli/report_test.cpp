// dravik-clone --report FILE: the JSON document read back with the JSON
// library after runs that end in different ways, its counts checked against
// the destination itself.
#include "cli/cli_fixture.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>

namespace dravik::test {
namespace {

using nlohmann::json;

class ReportTest : public CliFixture {
protected:
    std::string reportFile = dir.File("report.json");

    json ReadReport() const {
        std::ifstream in(reportFile);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text.find("corbelfin"), std::string::npos) << "a password in the report";
        return json::parse(text);
    }

    // A WIN1251 source whose row 2 holds bytes that the UTF-8 destination
    // code page refuses ("Malformed string"), and a view of its own.
    void MakeSourceWithARefusedRow() {
        CreateDatabase(src, "WIN1251");
        Isql(src,
             "create table T (ID integer not null primary key, V varchar(5));\n"
             "create view V_T as select ID from T;\n"
             "insert into T values (1, 'abc');\ninsert into T values (2, '\xe6\xe6');\n"
             "insert into T values (3, 'xyz');\ncommit;\n",
             false, "WIN1251");
    }
};

TEST_F(ReportTest, ACloneWithARefusedRowReportsWhatTheDestinationHolds) {
    MakeSourceWithARefusedRow();
    const CloneRun run = RunClone({"--report", reportFile, "--dst-charset", "UTF8", src, dst});
    ASSERT_EQ(run.status, 1) << run.out << run.err;
    const json report = ReadReport();
    EXPECT_EQ(report["program"], "dravik-clone");
    EXPECT_EQ(report["command"], "clone");
    EXPECT_EQ(report["outcome"], "finished with errors");
    EXPECT_EQ(report["exitStatus"], 1);
    EXPECT_EQ(report["source"]["database"], src);
    EXPECT_EQ(report["destination"]["database"], dst);
    EXPECT_EQ(report["options"]["dstCharset"], "UTF8");
    EXPECT_LE(report["started"].get<std::string>(), report["finished"].get<std::string>());

    ASSERT_EQ(report["tables"].size(), 1u) << report.dump(2);
    const json& table = report["tables"][0];
    EXPECT_EQ(table["name"], "T");
    EXPECT_EQ(table["rowsCopied"].get<std::int64_t>(), std::stoll(Count(dst, "T")));
    EXPECT_EQ(table["rowsRefused"], 1);
    EXPECT_NE(table["firstRefusal"].get<std::string>().find("Malformed string"), std::string::npos);

    EXPECT_EQ(report["objects"]["table or view"]["created"], 2) << report.dump(2);
    EXPECT_EQ(report["objects"]["table or view"]["failed"], 0);
    const json& verification = report["verification"];
    EXPECT_TRUE(verification["done"].get<bool>());
    EXPECT_FALSE(verification["equal"].get<bool>());
    EXPECT_EQ(verification["differences"], json::array({"table T: rows 3 vs 2"}));
    EXPECT_EQ(report["errorLines"].size(), 2u);
}

TEST_F(ReportTest, FailedObjectsAComparisonAListingAndARefusedDestinationAreReported) {
    MakeSmallSource();
    // The view without its table fails: its name and the server's message.
    RunClone({"--report", reportFile, "--no-verify", "--tables", "none", "--data", "none", "--procedures", "none",
              src, dst});
    json report = ReadReport();
    EXPECT_EQ(report["exitStatus"], 1);
    const json& views = report["objects"]["table or view"];
    EXPECT_EQ(views["failed"], 1) << report.dump(2);
    ASSERT_EQ(views["failures"].size(), 1u);
    EXPECT_EQ(views["failures"][0]["name"], "V_ITEM");
    EXPECT_NE(views["failures"][0]["messages"][0].get<std::string>().find("ITEM"), std::string::npos);
    EXPECT_EQ(report["verification"]["done"], false);

    Isql(dst, "create table EXTRA (ID integer);\ncommit;\n");
    EXPECT_EQ(RunClone({"--report", reportFile, "--compare", src, dst}).status, 1);
    report = ReadReport();
    EXPECT_EQ(report["command"], "compare");
    EXPECT_EQ(report["outcome"], "different");
    const json& differences = report["verification"]["differences"];
    EXPECT_NE(std::find(differences.begin(), differences.end(), json("table EXTRA: only in destination")),
              differences.end())
        << differences.dump(2);

    EXPECT_EQ(RunClone({"--report", reportFile, "--list", src}).status, 0);
    report = ReadReport();
    EXPECT_EQ(report["outcome"], "listed");
    EXPECT_EQ(report["offered"]["Tables"], json::array({"ITEM", "TAG"})) << report["offered"].dump(2);
    EXPECT_FALSE(report.contains("destination"));

    // The report follows the log's rules: never a database, never the log.
    const std::string sourceBytes = Scalar(src, "select count(*) from ITEM");
    const CloneRun onSource = RunClone({"--report", src, src, dir.File("other.fdb")});
    EXPECT_EQ(onSource.status, 2);
    EXPECT_NE(onSource.err.find("the report '" + src + "' is the database"), std::string::npos) << onSource.err;
    EXPECT_EQ(Scalar(src, "select count(*) from ITEM"), sourceBytes);
    EXPECT_FALSE(Exists(dir.File("other.fdb")));
    EXPECT_EQ(RunClone({"--report", dst, "--compare", src, dst}).status, 2);
    EXPECT_EQ(RunClone({"--report", reportFile, "--log", reportFile, src, dst}).status, 2);

    EXPECT_EQ(RunClone({"--report", reportFile, "--no-replace", src, dst}).status, 2);
    report = ReadReport();
    EXPECT_EQ(report["outcome"], "destination not created");
    EXPECT_EQ(report["exitStatus"], 2);
    EXPECT_TRUE(report["tables"].empty());
}

// The objects are made many to a transaction. A view whose statement the
// server refuses (its table is not copied), a procedure that reads that table
// too and an index whose commit fails (its key is too long for the
// destination's smaller pages) each fail alone, with one red line naming
// them; every sibling is made and logged once.
TEST_F(ReportTest, AFailingStatementAndAFailingCommitEachTakeOnlyTheirObject) {
    CreateDatabase(src, "NONE", 16384);
    std::string sql, tables;
    for (int i = 1; i <= 30; ++i) {
        const std::string t = "T" + std::to_string(i);
        sql += "create table " + t + " (ID integer not null primary key, V varchar(10));\n"
               "create index IX_" + t + " on " + t + " (V);\n";
        tables += t + ",";
    }
    Isql(src, sql + "create table W (V varchar(400) character set UTF8);\ncreate unique index IX_W on W (V);\n"
                    "create table HIDDEN (ID integer);\ncreate view V_HIDDEN as select ID from HIDDEN;\n"
                    "create view V_T1 as select ID from T1;\ncommit;\nset term ^;\n"
                    "create procedure P_HIDDEN returns (N integer) as begin select count(*) from HIDDEN into N; "
                    "suspend; end^\n"
                    "create procedure P_T1 returns (N integer) as begin select count(*) from T1 into N; suspend; end^\n"
                    "set term ;^\ncommit;\n");
    const CloneRun run =
        RunClone({"--report", reportFile, "--no-verify", "--page-size", "4096", "--tables", tables + "W", src, dst});
    const json report = ReadReport();
    EXPECT_EQ(report["exitStatus"], 1) << run.out;
    EXPECT_EQ(report["errorLines"].size(), 3u) << run.out;

    const json& indices = report["objects"]["index"];
    EXPECT_EQ(indices["created"], 30) << report.dump(2);
    ASSERT_EQ(indices["failures"].size(), 1u);
    EXPECT_EQ(indices["failures"][0]["name"], "IX_W");
    EXPECT_NE(indices["failures"][0]["messages"][0].get<std::string>().find("key size exceeds"), std::string::npos);
    const json& relations = report["objects"]["table or view"];
    EXPECT_EQ(relations["created"], 32);
    ASSERT_EQ(relations["failures"].size(), 1u);
    EXPECT_EQ(relations["failures"][0]["name"], "V_HIDDEN");
    EXPECT_EQ(report["objects"]["constraint"]["created"], 30);
    // The procedure that cannot be made whole stays a stub that returns nothing.
    const json& procedures = report["objects"]["procedure"];
    EXPECT_EQ(procedures["created"], 1) << report.dump(2);
    ASSERT_EQ(procedures["failures"].size(), 1u);
    EXPECT_EQ(procedures["failures"][0]["name"], "P_HIDDEN");
    EXPECT_EQ(Scalar(dst, "select count(*) from P_HIDDEN"), "0");
    EXPECT_EQ(Scalar(dst, "select N from P_T1"), "0");

    // The empty tables' rows: nothing to write, and still a count of 0 for each.
    ASSERT_EQ(report["tables"].size(), 31u);
    for (const json& table : report["tables"]) {
        EXPECT_EQ(table["rowsCopied"], 0) << table.dump();
        EXPECT_TRUE(table["complete"].get<bool>()) << table.dump();
    }
    const auto occurrences = [&](const std::string& text) {
        size_t found = 0;
        for (size_t at = run.out.find(text); at != std::string::npos; at = run.out.find(text, at + 1)) ++found;
        return found;
    };
    EXPECT_EQ(occurrences("Скопировано:: 0 записей (0 ошибок)"), 31u) << run.out;
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$INDICES where RDB$INDEX_NAME starting with 'IX_'"), "30");
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$RELATIONS where RDB$VIEW_BLR is not null"), "1");
    // Each green line once: a group undone and run again writes its lines only once.
    EXPECT_EQ(occurrences("IX_T30"), 1u) << run.out;
    EXPECT_EQ(occurrences("V_T1"), 1u) << run.out;
    EXPECT_EQ(occurrences("PROCEDURE: P_T1"), 1u) << run.out;
}

}  // namespace
}  // namespace dravik::test
