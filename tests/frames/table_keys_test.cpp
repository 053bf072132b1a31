// Primary and foreign keys: free constraint names, column order, the four
// referential rules, self-references and references to later tables.
#include "frames/fr_select_table.h"
#include "table_fixture.h"

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
    frame.CreateSelected(source, destination);
    frame.CompleteSelected(source, destination);
    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());

    // The server stores an unstated rule as RESTRICT and a stated one as NO
    // ACTION; both mean the same, and NO ACTION is what can be written.
    EXPECT_EQ(Rows(dst, kForeignKeys),
              (std::vector<std::string>{"FK_CASCADE|CASCADE|CASCADE|ZZZ_PARENT",
                                        "FK_MULTI|NO ACTION|NO ACTION|MULTI_PARENT",
                                        "FK_NO_ACTION|NO ACTION|NO ACTION|ZZZ_PARENT",
                                        "FK_SELF|NO ACTION|CASCADE|AAA_CHILD",
                                        "FK_SET_DEFAULT|SET DEFAULT|SET DEFAULT|ZZZ_PARENT",
                                        "FK_SET_NULL|SET NULL|SET NULL|ZZZ_PARENT"}));
    EXPECT_EQ(Rows(src, kForeignKeys)[1], "FK_MULTI|RESTRICT|RESTRICT|MULTI_PARENT");
    EXPECT_EQ(Rows(dst, kKeyColumns), Rows(src, kKeyColumns));
    // The self-named user index is recreated; the keys' own indices come with the keys.
    EXPECT_EQ(Column(dst, "select RDB$INDEX_NAME from RDB$INDICES where RDB$INDEX_NAME = 'AAA_CHILD_X'"),
              std::vector<std::string>{"AAA_CHILD_X"});

    const auto lines = Lines();
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("PRIMARY KEY AAA_CHILD: PK_AAA_CHILD"));
    EXPECT_TRUE(has("PRIMARY KEY LONG_ONE: PK_VERY_LONG_CONSTRA"));
    EXPECT_TRUE(has("PRIMARY KEY LONG_TWO: PK_VERY_LONG_CONSTRA_1"));
    // Foreign keys of a table in constraint-name order, after its triggers step.
    std::vector<std::string> foreign;
    for (const auto& l : lines)
        if (l.rfind("FOREIGN KEY ", 0) == 0) foreign.push_back(l);
    EXPECT_EQ(foreign, (std::vector<std::string>{
                           "FOREIGN KEY AAA_CHILD: FK_CASCADE", "FOREIGN KEY AAA_CHILD: FK_MULTI",
                           "FOREIGN KEY AAA_CHILD: FK_NO_ACTION", "FOREIGN KEY AAA_CHILD: FK_SELF",
                           "FOREIGN KEY AAA_CHILD: FK_SET_DEFAULT", "FOREIGN KEY AAA_CHILD: FK_SET_NULL"}));
    EXPECT_EQ(Rows(dst, "select trim(RDB$CONSTRAINT_NAME) from RDB$RELATION_CONSTRAINTS where "
                        "RDB$CONSTRAINT_NAME starting 'PK_VERY' order by 1"),
              (std::vector<std::string>{"PK_VERY_LONG_CONSTRA", "PK_VERY_LONG_CONSTRA_1"}));

    // The cascade rule works in the copy.
    for (const char* statement : {"insert into ZZZ_PARENT values (1)",
                                  "insert into AAA_CHILD (ID, P1, P4) values (10, 1, null)",
                                  "update ZZZ_PARENT set ID = 2"})
        Exec(dst, statement);
    EXPECT_EQ(Scalar(dst, "select P1 from AAA_CHILD"), "2");
}

TEST_F(TableKeys, TablesWithoutKeysAreSilentAndTheSourceTransactionIsEnded) {
    Prepare(kKeys);
    frame.CreateObject(source, destination, "NO_KEYS");
    frame.CreateForeignKeys(source, destination, "NO_KEYS");
    EXPECT_EQ(Lines(), std::vector<std::string>{"CREATE TABLE: NO_KEYS"});
    frame.CreatePrimaryKey(source, destination, "ZZZ_PARENT");  // fails: no such table in the destination
    EXPECT_FALSE(source.DefaultTransaction().InTransaction());
    EXPECT_FALSE(destination.DefaultTransaction().InTransaction());
}

TEST_F(TableKeys, AReferenceToATableNotCopiedEndsTheTablesForeignKeys) {
    Prepare(R"(
create table A (ID integer not null primary key, P1 integer, P2 integer);
create table MISSING (ID integer not null primary key);
create table PRESENT (ID integer not null primary key);
alter table A add constraint FK_1_MISSING foreign key (P1) references MISSING (ID);
alter table A add constraint FK_2_PRESENT foreign key (P2) references PRESENT (ID);
)");
    frame.CreateObject(source, destination, "A");
    frame.CreateObject(source, destination, "PRESENT");
    frame.CreateForeignKeys(source, destination, "A");
    const auto errors = host.Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].caption, "FOREIGN KEY A");
    EXPECT_NE(errors[0].text.find("MISSING"), std::string::npos) << errors[0].text;
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$REF_CONSTRAINTS"), "0");
}

TEST(ReferentialRule, KnownRulesKeepTheirStoredCaseAnythingElseIsNoAction) {
    EXPECT_EQ(TFrame_select_table::ReferentialRule("CASCADE"), "CASCADE");
    EXPECT_EQ(TFrame_select_table::ReferentialRule("cascade"), "cascade");
    EXPECT_EQ(TFrame_select_table::ReferentialRule("  SET NULL   "), "SET NULL");
    EXPECT_EQ(TFrame_select_table::ReferentialRule("Set Default"), "Set Default");
    EXPECT_EQ(TFrame_select_table::ReferentialRule("RESTRICT"), "NO ACTION");
    EXPECT_EQ(TFrame_select_table::ReferentialRule(""), "NO ACTION");
}

}  // namespace
