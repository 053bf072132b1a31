// Catalogue names at the edges: names of the full 31 characters for every
// kind of object, and names that only exist in double quotes (lower case,
// blanks, keywords), which the clone writes bare. Long names travel whole
// (constraint names excepted: they are cut to 20 characters); a quoted name
// either lands under its upper-case form or fails with a red line, and the
// run ends with status 1, never with a crash or a silent loss.
#include "engine/engine_bench.h"
#include "hostile/hostile_fixture.h"

#include <algorithm>
#include <cctype>

namespace dravik::test {
namespace {

// A name of exactly 31 characters beginning with the prefix.
std::string Long(const std::string& prefix) {
    std::string name = prefix;
    for (char c = 'A'; name.size() < 31; c = c == 'Z' ? 'A' : static_cast<char>(c + 1)) name += c;
    return name;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

class CatalogueNames : public HostileTest {
protected:
    // Runs the whole job in this process (to see the colours of its lines)
    // with every object, roles included, and closes it.
    void RunJob(JobBench& bench) {
        bench.Databases(src, dst);
        bench.job.settings.createRoles = true;
        bench.job.LoadFrames();
        for (frames::TFrame_select* frame : bench.job.Frames()) frame->btn_selectAllClick();
        EXPECT_EQ(bench.job.RunJob().outcome, engine::JobOutcome::Finished);
        EXPECT_FALSE(bench.job.srcDb.Connected());
    }
    // True when a red line of the run names the text (without regard to case).
    static bool RedLineNames(const JobBench& bench, const std::string& text) {
        for (const auto& e : bench.Red())
            if (Lower(e.caption + " " + e.text).find(Lower(text)) != std::string::npos) return true;
        return false;
    }
    static std::string RedLines(const JobBench& bench) {
        std::string text;
        for (const auto& e : bench.Red()) text += engine::EntryLine(e) + "\n";
        return text;
    }
};

TEST_F(CatalogueNames, ThirtyOneCharacterNamesTravelWhole) {
    const std::string domain = Long("D_"), generator = Long("G_"), exception = Long("E_"), procedure = Long("P_"),
                      parameter = Long("A_"), table = Long("T_"), column = Long("C_"), index = Long("I_"),
                      trigger = Long("TR_"), view = Long("V_"), key = Long("PK_"), role = Long("R_");
    CreateDatabase(src);
    Isql(src, "create domain " + domain + " as varchar(31);\n"
              "create generator " + generator + ";\nset generator " + generator + " to 31;\n"
              "create exception " + exception + " 'thirty-one';\n"
              "create table " + table + " (" + column + " integer not null, " + Long("N_") + " " + domain +
              ", constraint " + key + " primary key (" + column + "));\n"
              "create index " + index + " on " + table + " (" + Long("N_") + ");\n"
              "create view " + view + " as select " + column + " from " + table + ";\n"
              "create role " + role + ";\n"
              "set term ^;\n"
              "create procedure " + procedure + " (" + parameter + " integer) returns (" + Long("O_") +
              " integer) as begin " + Long("O_") + " = " + parameter + " + 1; suspend; end^\n"
              "create trigger " + trigger + " for " + table + " before insert as begin new." + Long("N_") +
              " = coalesce(new." + Long("N_") + ", 'x'); end^\n"
              "set term ;^\n"
              "insert into " + table + " values (1, 'one');\n"
              "insert into " + table + " values (2, null);\n"
              "commit;\n");
    const Snapshot before = TakeSnapshot(src);

    const Outcome run = RunCloneWithin({"--roles", src, dst});
    ExpectReport("31-character names", run, 0);
    ExpectUnchanged("31-character names", src, before);
    ExpectRows("31-character names", dst, table, 2);
    const auto has = [&](const std::string& sql) { return Scalar(dst, sql); };
    EXPECT_EQ(has("select rdb$field_name from rdb$fields where rdb$field_name = '" + domain + "'"), domain);
    EXPECT_EQ(has("select gen_id(" + generator + ", 0) from rdb$database"), "31");
    EXPECT_EQ(has("select rdb$message from rdb$exceptions where rdb$exception_name = '" + exception + "'"),
              "thirty-one");
    EXPECT_EQ(has("select " + Long("O_") + " from " + procedure + "(41)"), "42");
    EXPECT_EQ(has("select count(*) from rdb$indices where rdb$index_name = '" + index + "'"), "1");
    EXPECT_EQ(has("select count(*) from rdb$triggers where rdb$trigger_name = '" + trigger + "'"), "1");
    EXPECT_EQ(has("select count(*) from " + view), "2");
    EXPECT_EQ(has("select count(*) from rdb$roles where rdb$role_name = '" + role + "'"), "1");
    EXPECT_EQ(has("select " + Long("N_") + " from " + table + " where " + column + " = 2"), "x");
    // Constraint names are cut to their first 20 characters.
    EXPECT_EQ(has("select rdb$constraint_name from rdb$relation_constraints where rdb$constraint_type = 'PRIMARY KEY' "
                  "and rdb$relation_name = '" + table + "'"),
              key.substr(0, 20));
}

TEST_F(CatalogueNames, NamesThatNeedQuotesLandUpperCasedOrFailInRed) {
    CreateDatabase(src);
    Isql(src, R"(
create domain "lowerDom" as integer;
create generator "genLower";
set generator "genLower" to 5;
create exception "exc lower" 'x';
create table "mixedCase" (ID integer, V varchar(10));
create table "two words" (ID integer);
create table "ORDER" (ID integer);
create table PLAIN (ID integer not null, "lowerCol" "lowerDom", "some value" integer);
create table KEEPS (ID integer not null, "lowerCol" "lowerDom");
create index "idx lower" on KEEPS (ID);
create view "view lower" as select ID from KEEPS;
create role "role lower";
create role "SELECT";
set term ^;
create procedure "procLower" returns (X integer) as begin X = 1; suspend; end^
create trigger "trg lower" for KEEPS before insert as begin new.ID = new.ID; end^
set term ;^
insert into "mixedCase" values (1, 'a');
insert into "mixedCase" values (2, 'b');
insert into "two words" values (1);
insert into "ORDER" values (1);
insert into PLAIN values (1, 1, 1);
insert into KEEPS values (1, 10);
insert into KEEPS values (2, 20);
commit;
)");
    const Snapshot before = TakeSnapshot(src);

    const Outcome run = RunCloneWithin({"--roles", src, dst});
    ExpectReport("names that need quotes (dravik-clone)", run, 1);
    EXPECT_TRUE(HasLine(run.out, "Database copy: complete")) << run.out;
    EXPECT_NE(run.err.find("error lines in the run log"), std::string::npos) << run.err;
    ExpectUnchanged("names that need quotes (dravik-clone)", src, before);

    JobBench bench;
    RunJob(bench);
    ExpectUnchanged("names that need quotes (job)", src, before);
    const std::string red = RedLines(bench);
    // Each name that cannot be written bare, and what it costs.
    struct Expectation {
        const char* what;
        const char* redText;  // a red line names it
    };
    for (const Expectation& e : std::vector<Expectation>{
             {"table with a blank", "CREATE TABLE two words"},
             {"table named by a keyword", "CREATE TABLE ORDER"},
             {"column with a blank", "CREATE TABLE PLAIN"},
             {"lower-case table: created upper-case, its rows cannot follow", "Table unknown\r\nmixedCase"},
             {"rows of a table that could not be created", "Table unknown\r\ntwo words"},
             {"generator: created upper-case, its value not read", "generator GENLOWER is not defined"},
             {"exception with a blank", "CREATE EXCEPTION exc lower"},
             {"lower-case procedure: its body cannot be set", "PROCEDURE PROCLOWER"},
             {"index with a blank", "INDEXKEEPS"},
             {"view with a blank", "CREATE VIEW VIEW LOWER"},
             {"trigger with a blank", "TRIGGERKEEPS"},
             {"role with a blank", "CREATE ROLE role lower"},
             {"role named by a keyword", "CREATE ROLE SELECT"},
         }) {
        const bool named = RedLineNames(bench, e.redText);
        Ledger::Get().Case(std::string("quoted name: ") + e.what, named);
        EXPECT_TRUE(named) << e.what << ": no red line with \"" << e.redText << "\"\n" << red;
    }
    // What lands: lower-case names under their upper-case form, with their rows.
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$fields where rdb$field_name = 'LOWERDOM'"), "1");
    EXPECT_EQ(Scalar(dst, "select sum(LOWERCOL) from KEEPS"), "30");
    ExpectRows("names that need quotes: KEEPS", dst, "KEEPS", 2);
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$relations where rdb$relation_name = 'MIXEDCASE'"), "1");
}

// The two losses that used to pass unseen: a lower-case table is created
// under its upper-case name and its rows cannot follow; a role the bare
// statement cannot write is not created. Alone in a source, each must still
// make the run end with a red line and status 1.
TEST_F(CatalogueNames, ALowerCaseTableOrAnUnwritableRoleAloneEndsWithStatusOne) {
    CreateDatabase(src);
    Isql(src, "create table \"lowerT\" (ID integer);\n"
              "insert into \"lowerT\" values (1);\ninsert into \"lowerT\" values (2);\ncommit;\n");
    const Snapshot tableSource = TakeSnapshot(src);
    Outcome run = RunCloneWithin({src, dst});
    ExpectReport("lower-case table alone", run, 1);
    EXPECT_TRUE(HasLine(run.out, "COPY DATA: Dynamic SQL Error")) << run.out;
    EXPECT_TRUE(HasLine(run.out, "lowerT")) << run.out;
    EXPECT_EQ(run.err, "dravik-clone: finished with 1 error line in the run log\n");
    EXPECT_EQ(RowCount(dst, "LOWERT"), 0);
    ExpectUnchanged("lower-case table alone", src, tableSource);

    const std::string roleSource = dir.File("roles.fdb");
    CreateDatabase(roleSource);
    Isql(roleSource, "create role \"two words\";\ncreate role PLAIN_ROLE;\ncommit;\n");
    run = RunCloneWithin({"--roles", roleSource, dst});
    ExpectReport("role with a blank alone", run, 1);
    EXPECT_TRUE(HasLine(run.out, "CREATE ROLE two words: Dynamic SQL Error")) << run.out;
    EXPECT_TRUE(HasLine(run.out, "CREATE ROLE: PLAIN_ROLE")) << run.out;
    // A role the destination already has stays silent.
    EXPECT_FALSE(HasLineStarting(run.out, "CREATE ROLE RDB$ADMIN")) << run.out;
}

}  // namespace
}  // namespace dravik::test
