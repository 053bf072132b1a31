// User indices: unique, descending, several columns, inactive ones, and the
// indices that belong to keys.
#include "frames/fr_select_table.h"
#include "table_fixture.h"

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

TEST_F(TableIndices, EveryKindIsRecreatedActiveAndInNameOrder) {
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
)");
    frame.CreateObject(source, destination, "T");
    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());
    // PK_T and FK_T_P are the keys' own indices: left to the key steps.
    EXPECT_EQ(Lines(), (std::vector<std::string>{"CREATE TABLE: T", "PRIMARY KEY T: PK_T", "INDEX T: T_BOTH",
                                                 "INDEX T: T_DESC", "INDEX T: T_MULTI", "INDEX T: T_OFF",
                                                 "INDEX T: T_UNIQUE"}));

    auto expected = Rows(src, kIndexFacts);
    // The inactive source index comes out active; everything else is equal.
    for (auto& row : expected)
        if (row.rfind("T_OFF|", 0) == 0) row.replace(row.find("|1|B|"), 5, "|0|B|");
    auto excluding = [](std::vector<std::string> rows, const std::string& prefix) {
        std::erase_if(rows, [&](const std::string& r) { return r.rfind(prefix, 0) == 0; });
        return rows;
    };
    EXPECT_EQ(Rows(dst, kIndexFacts), excluding(expected, "FK_T_P|"));
    EXPECT_NE(std::find(expected.begin(), expected.end(), "T_OFF|0|0|0|B|0"), expected.end());
    EXPECT_NE(std::find(expected.begin(), expected.end(), "T_MULTI|0|0|0|A|2"), expected.end());
    EXPECT_NE(std::find(expected.begin(), expected.end(), "T_BOTH|1|1|0|B|0"), expected.end());
}

TEST_F(TableIndices, ATableWithoutUserIndicesWritesNothing) {
    Prepare("create table T (ID integer not null primary key, A integer);\n"
            "create table U (ID integer);");
    frame.CreateIndices(source, destination, "T");
    frame.CreateIndices(source, destination, "U");
    EXPECT_TRUE(host.run.entries.empty());
}

TEST_F(TableIndices, TheFirstFailingIndexEndsTheTablesIndices) {
    Prepare("create table T (A integer, B integer);\n"
            "create index T_1 on T (A);\n"
            "create index T_2 on T (B);\n"
            "create index T_3 on T (A);",
            "create table T (A integer);");
    frame.CreateIndices(source, destination, "T         ");
    // T_1 lands, T_2 names a column the destination lacks, T_3 is not tried.
    ASSERT_EQ(host.run.entries.size(), 2u);
    EXPECT_EQ(Lines()[0], "INDEX T: T_1");
    EXPECT_EQ(host.run.entries[1].caption, "INDEXT");
    EXPECT_EQ(host.run.entries[1].textColour, dravik::engine::kRed);
    EXPECT_EQ(Column(dst, "select RDB$INDEX_NAME from RDB$INDICES where RDB$RELATION_NAME = 'T'"),
              std::vector<std::string>{"T_1"});
}

}  // namespace
