// Catalogue names at the edges: names of the full 31 characters for every
// kind of object, and names that only exist in double quotes (lower case,
// blanks, keywords, a name that reads like SQL). Every name travels whole
// and exactly as stored, and the run ends with status 0.
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
    EXPECT_EQ(has("select rdb$constraint_name from rdb$relation_constraints where rdb$constraint_type = 'PRIMARY KEY' "
                  "and rdb$relation_name = '" + table + "'"),
              key);
}

TEST_F(CatalogueNames, NamesThatNeedQuotesLandExactly) {
    CreateDatabase(src);
    Isql(src, R"(
create domain "lowerDom" as integer;
create generator "genLower";
set generator "genLower" to 5;
create exception "exc lower" 'x';
create table "mixedCase" (ID integer, V varchar(10));
create table "two words" (ID integer);
create table "ORDER" (ID integer);
create table PLAIN (ID integer not null, "lowerCol" "lowerDom", "some value" integer, "value" integer, "VALUE" varchar(5));
create table KEEPS (ID integer not null, "lowerCol" "lowerDom");
create table T (C integer, D integer);
create table "T DROP C," (C integer);
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
insert into PLAIN values (1, 1, 1, 7, 'seven');
insert into KEEPS values (1, 10);
insert into KEEPS values (2, 20);
insert into T values (1, 2);
commit;
)");
    const Snapshot before = TakeSnapshot(src);

    const Outcome run = RunCloneWithin({"--roles", src, dst});
    ExpectReport("names that need quotes (dravik-clone)", run, 0);
    EXPECT_TRUE(HasLine(run.out, "Database copy: complete")) << run.out;
    ExpectUnchanged("names that need quotes (dravik-clone)", src, before);

    JobBench bench;
    RunJob(bench);
    ExpectUnchanged("names that need quotes (job)", src, before);
    EXPECT_TRUE(bench.Red().empty()) << RedLines(bench);
    // Every name lands as stored, with its rows and values.
    for (const char* table : {"mixedCase", "two words", "ORDER", "PLAIN", "KEEPS", "T", "T DROP C,"})
        EXPECT_EQ(Scalar(dst, std::string("select count(*) from rdb$relations where rdb$relation_name = '") + table +
                                  "'"),
                  "1")
            << table;
    ExpectRows("names that need quotes: mixedCase", dst, "mixedCase", 2);
    EXPECT_EQ(Scalar(dst, "select \"value\" || \"VALUE\" || \"some value\" from PLAIN"), "7seven1");
    // The table named like an ALTER TABLE clause leaves T whole.
    EXPECT_EQ(Scalar(dst, "select C + D from T"), "3");
    EXPECT_EQ(Scalar(dst, "select gen_id(\"genLower\", 0) from rdb$database"), "5");
    EXPECT_EQ(Scalar(dst, "select X from \"procLower\""), "1");
    EXPECT_EQ(Scalar(dst, "select count(*) from \"view lower\""), "2");
    for (const char* sql : {"select count(*) from rdb$roles where rdb$role_name in ('role lower', 'SELECT')"})
        EXPECT_EQ(Scalar(dst, sql), "2");
    for (const char* sql : {"select count(*) from rdb$indices where rdb$index_name = 'idx lower'",
                            "select count(*) from rdb$triggers where rdb$trigger_name = 'trg lower'",
                            "select count(*) from rdb$exceptions where rdb$exception_name = 'exc lower'",
                            "select count(*) from rdb$fields where rdb$field_name = 'lowerDom'"})
        EXPECT_EQ(Scalar(dst, sql), "1") << sql;
}

}  // namespace
}  // namespace dravik::test
