// User indices: unique, descending, several columns, expressions, inactive
// ones, and the indices that belong to keys.
#include "frames/fr_select_table.h"
#include "table_fixture.h"
#include "support/picked_plan.h"

#include <algorithm>

using namespace dravik::frames;
using namespace dravik::test;

namespace {

// Name, unique flag, type, active state and columns of every user index of T.
const char* const kIndexFacts =
    "select trim(i.RDB$INDEX_NAME), coalesce(i.RDB$UNIQUE_FLAG, 0), coalesce(i.RDB$INDEX_TYPE, 0), "
    "coalesce(i.RDB$INDEX_INACTIVE, 0), trim(s.RDB$FIELD_NAME), s.RDB$FIELD_POSITION "
    "from RDB$INDICES i join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
    "where i.RDB$RELATION_NAME = 'T' and i.RDB$INDEX_NAME not starting 'RDB$' order by 1, 6";

class TableIndices : public CloneFixture {
protected:
    TFrame_select_table frame;
    void SetUp() override { frame.wizard = &host; }
};

TEST_F(TableIndices, EveryKindIsRecreatedAsTheSourceHasItInNameOrder) {
    Prepare(R"(
create table T (ID integer not null, A integer, B varchar(10), C date, R integer,
  constraint PK_T primary key (ID));
create table P (ID integer not null, constraint PK_P primary key (ID));
alter table T add constraint FK_T_P foreign key (R) references P (ID);
create unique index T_UNIQUE on T (A);
create descending index T_DESC on T (C);
create unique descending index T_BOTH on T (B);
create index T_MULTI on T (C, B, A);
create index T_OFF on T (B);
alter index T_OFF inactive;
create index T_EXPR on T computed by (upper(B) || 'x');
alter table T add constraint T_UQ unique (R);
)");
    PickedPlan plan = PlanOnly(source, destination, frame, {"P", "T"});
    plan.Create();
    host.run.Clear();
    plan.Complete();
    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());
    // PK_T, T_UQ and FK_T_P are the keys' own indices: left to the key steps.
    // The inactive T_OFF was made with the empty table; the others after the rows.
    EXPECT_EQ(Lines(), (std::vector<std::string>{"PRIMARY KEY P: PK_P", "PRIMARY KEY T: PK_T", "UNIQUE T: T_UQ",
                                                 "INDEX T: T_BOTH", "INDEX T: T_DESC", "INDEX T: T_EXPR",
                                                 "INDEX T: T_MULTI", "INDEX T: T_UNIQUE", "FOREIGN KEY T: FK_T_P"}));

    const auto expected = Rows(src, kIndexFacts);
    EXPECT_EQ(Rows(dst, kIndexFacts), expected);
    EXPECT_NE(std::find(expected.begin(), expected.end(), "T_OFF|0|0|1|B|0"), expected.end());
    const char* expression = "select RDB$EXPRESSION_SOURCE from RDB$INDICES where RDB$INDEX_NAME = 'T_EXPR'";
    EXPECT_EQ(Column(dst, expression), Column(src, expression));
    EXPECT_NE(std::find(expected.begin(), expected.end(), "T_MULTI|0|0|0|A|2"), expected.end());
    EXPECT_NE(std::find(expected.begin(), expected.end(), "T_BOTH|1|1|0|B|0"), expected.end());
}

TEST_F(TableIndices, AFailingIndexTakesNoOtherAlong) {
    Prepare("create table T (A integer, B integer);\n"
            "create index T_1 on T (A);\n"
            "create index T_2 on T (B);\n"
            "create index T_3 on T (A);",
            "create table T (A integer);");
    PlanOnly(source, destination, frame, {"T         "}).All();
    // The table exists already; T_2 names a column the destination lacks.
    EXPECT_EQ(ErrorHeads().size(), 2u);
    EXPECT_EQ(host.run.entries[0].caption, "CREATE TABLE T");
    EXPECT_EQ(host.run.entries[2].caption, "INDEXT");
    EXPECT_EQ(host.run.entries[2].textColour, dravik::engine::kRed);
    EXPECT_EQ(Column(dst, "select RDB$INDEX_NAME from RDB$INDICES where RDB$RELATION_NAME = 'T' order by 1"),
              (std::vector<std::string>{"T_1", "T_3"}));
}

}  // namespace
