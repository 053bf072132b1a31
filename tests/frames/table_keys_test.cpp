// Keys and checks: names kept whole or left to the engine, column order, the
// referential rules as stored, unique and check constraints, self-references
// and references to later tables, each constraint on its own.
#include "frames/fr_select_table.h"
#include "table_fixture.h"
#include "support/picked_plan.h"

#include <algorithm>

using namespace dravik::frames;
using namespace dravik::test;

namespace {

const char* const kKeys = R"(
create table AAA_CHILD (
  ID integer not null,
  SELF_ID integer,
  P1 integer, P2 integer, P3 integer, P4 integer default 1,
  X_A integer, X_B integer,
  constraint PK_AAA_CHILD primary key (ID)
);
create table LONG_ONE (ID integer not null, constraint PK_VERY_LONG_CONSTRAINT_ONE primary key (ID));
create table LONG_TWO (ID integer not null, constraint PK_VERY_LONG_CONSTRAINT_TWO primary key (ID));
create table MULTI_PARENT (A integer not null, B integer not null, primary key (B, A));
create table ZZZ_PARENT (ID integer not null primary key);
create table NO_KEYS (ID integer);
create table CHECKED (A integer, B integer, constraint UQ_CHECKED_AB unique (A, B), unique (B),
  constraint CK_CHECKED_A check (A > 0), check (B <> 5));
alter table AAA_CHILD add constraint FK_CASCADE foreign key (P1) references ZZZ_PARENT (ID)
  on update cascade on delete cascade;
alter table AAA_CHILD add constraint FK_SET_NULL foreign key (P2) references ZZZ_PARENT (ID)
  on update set null on delete set null;
alter table AAA_CHILD add constraint FK_SET_DEFAULT foreign key (P4) references ZZZ_PARENT (ID)
  on update set default on delete set default;
alter table AAA_CHILD add constraint FK_NO_ACTION foreign key (P3) references ZZZ_PARENT (ID);
alter table AAA_CHILD add constraint FK_MULTI foreign key (X_B, X_A) references MULTI_PARENT (B, A);
alter table AAA_CHILD add constraint FK_SELF foreign key (SELF_ID) references AAA_CHILD (ID) on delete cascade;
create index AAA_CHILD_X on AAA_CHILD (X_A);
)";

// Each foreign key with its rules and the table it refers to.
const char* const kForeignKeys =
    "select trim(rc.RDB$CONSTRAINT_NAME), trim(rc.RDB$UPDATE_RULE), trim(rc.RDB$DELETE_RULE), "
    "trim(p.RDB$RELATION_NAME) from RDB$REF_CONSTRAINTS rc join RDB$RELATION_CONSTRAINTS p "
    "on p.RDB$CONSTRAINT_NAME = rc.RDB$CONST_NAME_UQ order by 1";

// The columns of every key of the short-named constraints, in segment order.
const char* const kKeyColumns =
    "select trim(c.RDB$RELATION_NAME), c.RDB$CONSTRAINT_TYPE, trim(s.RDB$FIELD_NAME), s.RDB$FIELD_POSITION "
    "from RDB$RELATION_CONSTRAINTS c join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
    "where c.RDB$CONSTRAINT_TYPE in ('PRIMARY KEY', 'FOREIGN KEY') "
    "order by 1, 2, c.RDB$CONSTRAINT_NAME, 4";

class TableKeys : public CloneFixture {
protected:
    TFrame_select_table frame;
    void SetUp() override { frame.wizard = &host; }
};

TEST_F(TableKeys, KeysOfEveryKindLandWithTheirRulesAndColumnOrder) {
    Prepare(kKeys);
    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).All();
    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());

    // Rules as stored: an unstated rule is RESTRICT, a stated one NO ACTION.
    EXPECT_EQ(Rows(dst, kForeignKeys), Rows(src, kForeignKeys));
    EXPECT_EQ(Rows(src, kForeignKeys)[1], "FK_MULTI|RESTRICT|RESTRICT|MULTI_PARENT");
    EXPECT_EQ(Rows(dst, kKeyColumns), Rows(src, kKeyColumns));
    // The self-named user index is recreated; the keys' own indices come with the keys.
    EXPECT_EQ(Column(dst, "select RDB$INDEX_NAME from RDB$INDICES where RDB$INDEX_NAME = 'AAA_CHILD_X'"),
              std::vector<std::string>{"AAA_CHILD_X"});

    const auto lines = Lines();
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("PRIMARY KEY AAA_CHILD: PK_AAA_CHILD"));
    EXPECT_TRUE(has("PRIMARY KEY LONG_ONE: PK_VERY_LONG_CONSTRAINT_ONE"));
    EXPECT_TRUE(has("UNIQUE CHECKED: UQ_CHECKED_AB"));
    EXPECT_TRUE(has("CHECK CHECKED: CK_CHECKED_A"));
    // Foreign keys of a table in constraint-name order, after its triggers step.
    std::vector<std::string> foreign;
    for (const auto& l : lines)
        if (l.rfind("FOREIGN KEY ", 0) == 0) foreign.push_back(l);
    EXPECT_EQ(foreign, (std::vector<std::string>{
                           "FOREIGN KEY AAA_CHILD: FK_CASCADE", "FOREIGN KEY AAA_CHILD: FK_MULTI",
                           "FOREIGN KEY AAA_CHILD: FK_NO_ACTION", "FOREIGN KEY AAA_CHILD: FK_SELF",
                           "FOREIGN KEY AAA_CHILD: FK_SET_DEFAULT", "FOREIGN KEY AAA_CHILD: FK_SET_NULL"}));
    // User names whole, engine names made anew; the same constraints otherwise.
    const char* named = "select trim(RDB$CONSTRAINT_NAME), RDB$CONSTRAINT_TYPE from RDB$RELATION_CONSTRAINTS "
                        "where RDB$CONSTRAINT_NAME not starting 'INTEG_' and RDB$RELATION_NAME not starting 'RDB$' "
                        "order by 1";
    const char* unnamed = "select trim(c.RDB$RELATION_NAME), c.RDB$CONSTRAINT_TYPE, count(*) from "
                          "RDB$RELATION_CONSTRAINTS c where c.RDB$CONSTRAINT_NAME starting 'INTEG_' group by 1, 2";
    EXPECT_EQ(Rows(dst, named), Rows(src, named));
    EXPECT_EQ(Rows(dst, unnamed), Rows(src, unnamed));
    EXPECT_EQ(Column(dst, "select trim(RDB$INDEX_NAME) from RDB$INDICES where RDB$INDEX_NAME starting 'PK_VERY'"),
              (std::vector<std::string>{"PK_VERY_LONG_CONSTRAINT_ONE", "PK_VERY_LONG_CONSTRAINT_TWO"}));

    // The cascade rule works in the copy.
    for (const char* statement : {"insert into ZZZ_PARENT values (1)",
                                  "insert into AAA_CHILD (ID, P1, P4) values (10, 1, null)",
                                  "update ZZZ_PARENT set ID = 2"})
        Exec(dst, statement);
    EXPECT_EQ(Scalar(dst, "select P1 from AAA_CHILD"), "2");
    // Unique and check constraints hold in the copy.
    Exec(dst, "insert into CHECKED values (1, 2)");
    for (const char* refused : {"insert into CHECKED values (1, 2)", "insert into CHECKED values (3, 2)",
                                "insert into CHECKED values (0, 7)", "insert into CHECKED values (4, 5)"})
        EXPECT_ANY_THROW(Exec(dst, refused)) << refused;
}

TEST_F(TableKeys, TablesWithoutKeysAreSilentAndTheSourceTransactionIsEnded) {
    Prepare(kKeys);
    PlanOnly(source, destination, frame, {"NO_KEYS"}).All();
    EXPECT_EQ(Lines(), std::vector<std::string>{"CREATE TABLE: NO_KEYS"});
    EXPECT_FALSE(source.DefaultTransaction().InTransaction());
    EXPECT_FALSE(destination.DefaultTransaction().InTransaction());
}

TEST_F(TableKeys, AReferenceToATableNotCopiedFailsThatKeyAlone) {
    Prepare(R"(
create table A (ID integer not null primary key, P1 integer, P2 integer);
create table MISSING (ID integer not null primary key);
create table PRESENT (ID integer not null primary key);
alter table A add constraint FK_1_MISSING foreign key (P1) references MISSING (ID);
alter table A add constraint FK_2_PRESENT foreign key (P2) references PRESENT (ID);
)");
    PlanOnly(source, destination, frame, {"A"}).Create();
    PlanOnly(source, destination, frame, {"PRESENT"}).All();  // its key, after its rows
    PlanOnly(source, destination, frame, {"A"}).Complete();
    const auto errors = host.Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].caption, "FOREIGN KEY A");
    EXPECT_NE(errors[0].text.find("MISSING"), std::string::npos) << errors[0].text;
    EXPECT_EQ(Column(dst, "select RDB$CONSTRAINT_NAME from RDB$REF_CONSTRAINTS"),
              std::vector<std::string>{"FK_2_PRESENT"});
}

// Key columns whose NOT NULL comes from a domain: only a table-level primary
// key inside CREATE TABLE sets their null flag without a NOT NULL constraint.
const char* const kDomain = "create domain D_ID integer not null;";
const char* const kDomainKeys = R"(
create table T_NAMED (ID D_ID, X integer, constraint PK_NAMED primary key (ID) using desc index IX_NAMED);
create table T_UNNAMED (A D_ID, B integer, primary key (B, A));
create table T_INLINE (ID D_ID primary key);
create table T_OWN (ID integer not null, constraint PK_OWN primary key (ID));
create table T_LATER (ID D_ID, U D_ID, constraint UQ_LATER unique (U));
alter table T_LATER add constraint PK_LATER primary key (ID);
)";

// Each column's null flag and count of NOT NULL constraints.
const char* const kNullFlags =
    "select trim(f.RDB$RELATION_NAME), trim(f.RDB$FIELD_NAME), f.RDB$NULL_FLAG, (select count(*) from "
    "RDB$RELATION_CONSTRAINTS n join RDB$CHECK_CONSTRAINTS cc on cc.RDB$CONSTRAINT_NAME = n.RDB$CONSTRAINT_NAME "
    "where n.RDB$CONSTRAINT_TYPE = 'NOT NULL' and n.RDB$RELATION_NAME = f.RDB$RELATION_NAME and "
    "cc.RDB$TRIGGER_NAME = f.RDB$FIELD_NAME) from RDB$RELATION_FIELDS f where f.RDB$RELATION_NAME starting 'T_' "
    "order by 1, 2";

TEST_F(TableKeys, APrimaryKeyThatSetsTheNullFlagAloneComesWithCreateTable) {
    Prepare(std::string(kDomain) + kDomainKeys, kDomain);
    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).All();
    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());
    EXPECT_EQ(Rows(dst, kNullFlags), Rows(src, kNullFlags));
    EXPECT_EQ(Rows(src, kNullFlags)[0], "T_INLINE|ID|1|1");
    EXPECT_EQ(Rows(dst, kKeyColumns), Rows(src, kKeyColumns));
    const char* indices = "select trim(RDB$INDEX_NAME), RDB$INDEX_TYPE from RDB$INDICES where RDB$RELATION_NAME = "
                          "'T_NAMED'";
    EXPECT_EQ(Rows(dst, indices), std::vector<std::string>{"IX_NAMED|1"});
    // The key keeps its line in the log, after its table's.
    const auto lines = Lines();
    const auto table = std::find(lines.begin(), lines.end(), "CREATE TABLE: T_NAMED");
    EXPECT_NE(std::find(table, lines.end(), "PRIMARY KEY T_NAMED: PK_NAMED"), lines.end());
}

TEST_F(TableKeys, AKeyLeftToAFailedCreateTableIsARedLine) {
    Prepare(std::string(kDomain) + kDomainKeys, std::string(kDomain) + "create table T_NAMED (ID integer);");
    PlanOnly(source, destination, frame, {"T_NAMED"}).Create();
    EXPECT_EQ(host.Errors().size(), 2u);
    ASSERT_FALSE(host.Errors().empty());
    EXPECT_EQ(host.Errors().back().caption, "PRIMARY KEY T_NAMED");
}

TEST(ReferentialRule, TheStoredRuleIsKeptAndNoneMeansNoAction) {
    EXPECT_EQ(TFrame_select_table::ReferentialRule("  SET NULL   "), "SET NULL");
    EXPECT_EQ(TFrame_select_table::ReferentialRule("RESTRICT"), "");
    EXPECT_EQ(TFrame_select_table::ReferentialRule(""), "NO ACTION");
}

}  // namespace
