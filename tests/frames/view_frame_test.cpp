// Views: recreated from their columns and stored source, in list order,
// with the failures the order and the names bring.
#include "frames/fr_select_view.h"
#include "table_fixture.h"
#include "support/picked_plan.h"

using namespace dravik::frames;
using namespace dravik::test;

namespace {

class ViewFrame : public CloneFixture {
protected:
    TFrame_select_view frame;
    void SetUp() override { frame.wizard = &host; }
};

const char* const kTable = "create table T (ID integer, NAME varchar(20));";

TEST_F(ViewFrame, AViewOverATableIsRecreatedWithItsColumnNames) {
    Prepare(std::string(kTable) + "\ncreate view V_T (K, LABEL) as select ID, NAME from T where ID > 1;",
            std::string(kTable) + "\ninsert into T values (1, 'one');\ninsert into T values (2, 'two');");
    frame.LoadList(source, true);
    ASSERT_EQ(frame.SelectedCount(), 1);
    PickedPlan(source, destination, {&frame}).Create();

    EXPECT_EQ(Lines(), std::vector<std::string>{"CREATE VIEW : V_T"});
    EXPECT_EQ(host.run.entries[0].textColour, dravik::engine::kGreen);
    EXPECT_EQ(Rows(dst, "select K, LABEL from V_T"), std::vector<std::string>{"2|two"});
    EXPECT_EQ(Rows(dst, "select RDB$VIEW_SOURCE from RDB$RELATIONS where RDB$RELATION_NAME = 'V_T'"),
              Rows(src, "select RDB$VIEW_SOURCE from RDB$RELATIONS where RDB$RELATION_NAME = 'V_T'"));
    EXPECT_FALSE(source.DefaultTransaction().InTransaction());

    frame.WriteSummary();
    ASSERT_EQ(host.summary.entries.size(), 2u);
    EXPECT_EQ(host.summary.entries[0].caption, "\r\nViews");
    EXPECT_EQ(host.summary.entries[1].text, "\t" + frame.SelectedName(0));
}

TEST_F(ViewFrame, AViewOverALaterViewIsCreatedAfterIt) {
    Prepare(std::string(kTable) + "\ncreate view B_BASE as select ID from T;"
                                  "\ncreate view A_TOP as select ID from B_BASE;",
            kTable);
    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).Create();

    EXPECT_EQ(Lines(), (std::vector<std::string>{"CREATE VIEW : B_BASE", "CREATE VIEW : A_TOP"}));
    EXPECT_EQ(Column(dst, "select RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_SOURCE is not null "
                          "order by 1"),
              (std::vector<std::string>{"A_TOP", "B_BASE"}));
}

TEST_F(ViewFrame, AViewOverAMissingTableFailsWithTheServersMessage) {
    Prepare(std::string(kTable) + "\ncreate view V as select ID from T;");
    PlanOnly(source, destination, frame, {"V"}).Create();
    ASSERT_EQ(host.run.entries.size(), 1u);
    EXPECT_EQ(host.run.entries[0].caption, "CREATE VIEW V");
    EXPECT_NE(host.run.entries[0].text.find("T"), std::string::npos);
    EXPECT_FALSE(destination.DefaultTransaction().InTransaction());
}

TEST_F(ViewFrame, QuotedNamesOfViewsAndColumnsAreCreatedAsStored) {
    Prepare(std::string(kTable) + "\ncreate view \"low v\" (\"Id\", \"order\") as select ID, ID from T;", kTable);
    frame.LoadList(source, true);
    ASSERT_EQ(frame.SelectedCount(), 1);
    PickedPlan(source, destination, {&frame}).Create();
    EXPECT_EQ(Lines(), std::vector<std::string>{"CREATE VIEW : low v"});
    EXPECT_EQ(Column(dst, "select RDB$FIELD_NAME from RDB$RELATION_FIELDS where RDB$RELATION_NAME = 'low v' "
                          "order by RDB$FIELD_POSITION"),
              (std::vector<std::string>{"Id", "order"}));
}

}  // namespace
