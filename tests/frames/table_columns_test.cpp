// The table frame's listing and CREATE TABLE: exact column types, defaults,
// NOT NULL, domains and computed columns, against real catalogues.
#include "frames/declareSQL.h"
#include "frames/fr_select_table.h"
#include "table_fixture.h"
#include "support/picked_plan.h"

#include <map>

using namespace dravik::frames;
using namespace dravik::test;

namespace {

const char* const kAllTypes = R"(
create domain D_MONEY as numeric(12,2) default 0 not null;
create table ALL_TYPES (
  ID integer not null primary key,
  C_SMALL smallint,
  C_INT integer default 5 not null,
  C_BIG bigint,
  C_NUM numeric(15,2),
  C_DEC decimal(9,3),
  C_FLOAT float,
  C_DOUBLE double precision,
  C_DATE date default current_date,
  C_TIME time,
  C_STAMP timestamp,
  C_CHAR char(10),
  C_VNONE varchar(20) character set none,
  C_V1251 varchar(30) character set win1251 default 'x' not null,
  C_VUTF varchar(40) character set utf8,
  C_BOOL boolean,
  C_TEXT blob sub_type text character set utf8,
  C_BIN blob sub_type binary segment size 4096,
  C_MONEY D_MONEY,
  C_SUM computed by (C_INT + ID)
);
)";

// What a column is made of, read back from the catalogue of either database.
const char* const kColumnFacts =
    "select trim(rf.RDB$FIELD_NAME), f.RDB$FIELD_TYPE, coalesce(f.RDB$FIELD_SUB_TYPE, 0), f.RDB$FIELD_LENGTH, "
    "coalesce(f.RDB$FIELD_SCALE, 0), coalesce(f.RDB$FIELD_PRECISION, 0), f.RDB$CHARACTER_LENGTH, "
    "f.RDB$CHARACTER_SET_ID, f.RDB$SEGMENT_LENGTH, coalesce(rf.RDB$NULL_FLAG, 0), rf.RDB$DEFAULT_SOURCE, "
    "f.RDB$COMPUTED_SOURCE, iif(rf.RDB$FIELD_SOURCE starting 'RDB$', '', trim(rf.RDB$FIELD_SOURCE)) "
    "from RDB$RELATION_FIELDS rf join RDB$FIELDS f on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
    "where rf.RDB$RELATION_NAME = 'ALL_TYPES' order by rf.RDB$FIELD_POSITION";

class TableColumns : public CloneFixture {
protected:
    TFrame_select_table frame;
    void SetUp() override { frame.wizard = &host; }
};

TEST_F(TableColumns, EveryTypeIsRecreatedWithIdenticalCatalogueColumns) {
    Prepare(kAllTypes, "create domain D_MONEY as numeric(12,2) default 0 not null;");
    PlanOnly(source, destination, frame, {"ALL_TYPES                      "}).Create();

    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());
    ASSERT_FALSE(Lines().empty());
    EXPECT_EQ(Lines().front(), "CREATE TABLE: ALL_TYPES");
    EXPECT_EQ(host.run.entries.front().textColour, dravik::engine::kGreen);

    const auto expected = Rows(src, kColumnFacts);
    ASSERT_EQ(expected.size(), 20u);
    EXPECT_EQ(Rows(dst, kColumnFacts), expected);

    // The computed column still computes in the copy.
    Exec(dst, "insert into ALL_TYPES (ID, C_INT, C_MONEY) values (3, 4, 1)");
    EXPECT_EQ(Scalar(dst, "select C_SUM from ALL_TYPES"), "7");
    EXPECT_FALSE(source.DefaultTransaction().InTransaction());
}

TEST_F(TableColumns, DeclarationTextsKeepTheirBlanksAndTakeTheColumnsOwnDefault) {
    Prepare(kAllTypes);
    std::map<std::string, std::string> declarations;
    const auto catalogue = dravik::schema::SourceCatalogue::Read(source);
    for (const dravik::schema::CatalogueRow& row : catalogue.Relation("ALL_TYPES")->columns)
        declarations[row.Name("RDB$FIELD_NAME")] = TFrame_select_table::ColumnDeclaration(source, catalogue, row);
    EXPECT_EQ(declarations["ID"], "INTEGER  NOT NULL ");
    EXPECT_EQ(declarations["C_INT"], "INTEGER default 5 NOT NULL ");
    EXPECT_EQ(declarations["C_BIG"], "BIGINT ");
    EXPECT_EQ(declarations["C_NUM"], "NUMERIC(15,2) ");
    EXPECT_EQ(declarations["C_DEC"], "DECIMAL(9,3) ");
    EXPECT_EQ(declarations["C_CHAR"], "CHAR(10) CHARACTER SET  NONE ");
    EXPECT_EQ(declarations["C_V1251"], "VARCHAR(30) CHARACTER SET  WIN1251 default 'x' NOT NULL ");
    EXPECT_EQ(declarations["C_BIN"], "BLOB SUB_TYPE 0 SEGMENT SIZE 4096 ");
    EXPECT_EQ(declarations["C_TEXT"], "BLOB SUB_TYPE 1 SEGMENT SIZE 80 CHARACTER SET  UTF8 ");
    // The domain's own default and NOT NULL stay with the domain.
    EXPECT_EQ(declarations["C_MONEY"], "D_MONEY ");
    EXPECT_EQ(declarations["C_SUM"], "BIGINT COMPUTED BY (C_INT + ID)");
}

TEST_F(TableColumns, AMissingDomainFailsTheTableAndEveryKeyAndIndexFailsOnItsOwn) {
    Prepare("create domain D_CODE as varchar(5);\n"
            "create table T (ID integer not null primary key, CODE D_CODE);\n"
            "create index T_CODE on T (CODE);\n"
            "create index T_CODE2 on T (CODE, ID);");
    PlanOnly(source, destination, frame, {"T"}).All();  // the key and the indices come after the rows

    const auto errors = host.Errors();
    ASSERT_EQ(errors.size(), 4u) << ::testing::PrintToString(Lines());
    EXPECT_EQ(errors[0].caption, "CREATE TABLE T");
    EXPECT_NE(errors[0].text.find("D_CODE"), std::string::npos) << errors[0].text;
    EXPECT_EQ(errors[1].caption, "PRIMARY KEY T");
    EXPECT_EQ(errors[2].caption, "INDEXT");
    EXPECT_EQ(errors[3].caption, "INDEXT");
    EXPECT_EQ(host.run.entries.size(), 4u);
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = 'T'"), "0");
}

TEST_F(TableColumns, ListingHoldsUserTablesOnlyAndNamesAreCreatedAsStored) {
    Prepare("create table B_T (X integer);\n"
            "create table A_T (X integer);\n"
            "create table \"lower_t\" (X integer);\n"
            "create view V_A as select X from A_T;");
    frame.LoadList(source, true);
    ASSERT_EQ(frame.SelectedCount(), 3);
    EXPECT_EQ(frame.srcList.Count(), 0);
    EXPECT_EQ(Trim(frame.SelectedName(0)), "A_T");
    EXPECT_EQ(Trim(frame.SelectedName(1)), "B_T");
    EXPECT_EQ(Trim(frame.SelectedName(2)), "lower_t");

    PickedPlan(source, destination, {&frame}).Create();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"CREATE TABLE: A_T", "CREATE TABLE: B_T", "CREATE TABLE: lower_t"}));
    EXPECT_EQ(Column(dst, "select RDB$RELATION_NAME from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0 "
                          "order by RDB$RELATION_NAME"),
              (std::vector<std::string>{"A_T", "B_T", "lower_t"}));

    frame.WriteSummary();
    ASSERT_EQ(host.summary.entries.size(), 4u);
    EXPECT_EQ(host.summary.entries[0].caption, "\r\nTables");
    EXPECT_EQ(host.summary.entries[1].text, "\t" + frame.SelectedName(0));
}

TEST_F(TableColumns, NoPickedTableMeansNoWork) {
    Prepare("create table T (X integer);");
    frame.LoadList(source, true);
    frame.btn_deselectAllClick();
    PickedPlan(source, destination, {&frame}).All();
    EXPECT_TRUE(host.run.entries.empty());
    EXPECT_EQ(host.eventRuns, 0);
    frame.WriteSummary();
    ASSERT_EQ(host.summary.entries.size(), 1u);
    EXPECT_EQ(host.summary.entries[0].caption, "\r\nTables");
}

}  // namespace

// The catalogue read once groups every row under the object that owns it, in
// the order the statements need, and leaves no transaction of its own open.
TEST_F(TableColumns, TheCatalogueReadOnceGroupsRowsByOwner) {
    Prepare("create table A (ID integer, X integer constraint NN_X not null, Y integer, "
            "constraint PK_A primary key (ID) using desc index IX_PK, constraint CK_Y check (Y > 0));\n"
            "create table B (ID integer generated by default as identity (start with 7) primary key, "
            "A_ID integer references A);\n"
            "create table C (ID integer not null primary key);\n"
            "create index IX_AXY on A (X, Y);\n"
            "set term ^;\n"
            "create trigger A2 for A before insert position 2 as begin end^\n"
            "create trigger Z1 for A after update position 1 as begin end^\n"
            "set term ;^\n");
    const auto catalogue = dravik::schema::SourceCatalogue::Read(source);
    EXPECT_FALSE(source.DefaultTransaction().InTransaction());
    const dravik::schema::CatalogueRelation* a = catalogue.Relation("A");
    ASSERT_NE(a, nullptr);
    std::vector<std::string> columns, constraints;
    for (const auto& row : a->columns) columns.push_back(row.Name("RDB$FIELD_NAME"));
    for (const auto& c : a->constraints)
        if (c.type != "NOT NULL") constraints.push_back(c.name + " " + c.type);
    EXPECT_EQ(columns, (std::vector<std::string>{"ID", "X", "Y"}));
    EXPECT_EQ(constraints, (std::vector<std::string>{"CK_Y CHECK", "PK_A PRIMARY KEY"}));
    EXPECT_EQ(a->triggers, (std::vector<std::string>{"Z1", "A2"}));
    EXPECT_EQ(catalogue.CheckEntries("NN_X"), std::vector<std::string>{"X"});
    EXPECT_EQ(IndexColumns(catalogue, "IX_AXY"), "X, Y");
    std::string type;
    EXPECT_EQ(KeyDefinition(catalogue, "PK_A", type), "CONSTRAINT PK_A PRIMARY KEY (ID) USING DESC INDEX IX_PK");
    // A table-level key's column without NOT NULL of its own is left to
    // CREATE TABLE's key; a column's own NOT NULL is a constraint.
    EXPECT_EQ(PrimaryKeyOfCreateTable(catalogue, "A").columns, std::vector<std::string>{"ID"});
    EXPECT_TRUE(PrimaryKeyOfCreateTable(catalogue, "C").columns.empty());
    const auto* identity = catalogue.Relation("B")->columns.front().FindField("RDB$GENERATOR_NAME");
    ASSERT_TRUE(identity && !identity->IsNull());
    EXPECT_EQ(catalogue.GeneratorInitialValue(TrimRight(identity->AsString())).AsString(), "7");
    EXPECT_EQ(catalogue.Relation("NO_SUCH_TABLE"), nullptr);
}
