// Triggers: the six single-event kinds, multi-event ones, inactive ones,
// check-constraint triggers, and triggers that cannot compile, each alone.
#include "frames/fr_select_table.h"
#include "table_fixture.h"
#include "support/picked_plan.h"

using namespace dravik::frames;
using namespace dravik::test;

namespace {

const char* const kTables = R"(
create table T (ID integer not null, V integer, constraint CK_T check (ID > 0));
create table EVENTS (N integer, EV varchar(10));
create generator G_EVENTS;
)";

// The destination's tables before the completion: without the check, which
// the completion adds.
const char* const kBareTables = R"(
create table T (ID integer not null, V integer);
create table EVENTS (N integer, EV varchar(10));
create generator G_EVENTS;
)";

const char* const kTriggers = R"(
set term ^;
create trigger T_BI for T before insert position 1 as begin insert into EVENTS values (gen_id(G_EVENTS, 1), 'BI'); end^
create trigger T_AI for T after insert as begin insert into EVENTS values (gen_id(G_EVENTS, 1), 'AI'); end^
create trigger T_BU for T before update as begin insert into EVENTS values (gen_id(G_EVENTS, 1), 'BU'); end^
create trigger T_AU for T after update as begin insert into EVENTS values (gen_id(G_EVENTS, 1), 'AU'); end^
create trigger T_BD for T before delete as begin insert into EVENTS values (gen_id(G_EVENTS, 1), 'BD'); end^
create trigger T_AD for T after delete as begin insert into EVENTS values (gen_id(G_EVENTS, 1), 'AD'); end^
create trigger T_BIU for T before insert or update position 5 as
begin
  if (inserting) then new.V = coalesce(new.V, 0) + 100;
end^
create trigger T_AUD for T after update or delete position 3 as
begin insert into EVENTS values (gen_id(G_EVENTS, 1), 'AUD'); end^
create trigger T_OFF for T inactive before insert position 7 as
begin insert into EVENTS values (gen_id(G_EVENTS, 1), 'OFF'); end^
set term ;^
)";

const char* const kTriggerFacts =
    "select trim(RDB$TRIGGER_NAME), RDB$TRIGGER_TYPE, RDB$TRIGGER_SEQUENCE, coalesce(RDB$TRIGGER_INACTIVE, 0), "
    "RDB$TRIGGER_SOURCE from RDB$TRIGGERS where RDB$RELATION_NAME = 'T' and RDB$SYSTEM_FLAG = 0 order by 1";

class TableTriggers : public CloneFixture {
protected:
    TFrame_select_table frame;
    void SetUp() override { frame.wizard = &host; }
};

TEST_F(TableTriggers, EveryKindLandsWithItsEventsPositionAndState) {
    Prepare(std::string(kTables) + kTriggers, kBareTables);
    PlanOnly(source, destination, frame, {"T                "}).Complete();

    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());
    // The check first, then one line per trigger naming the table only; the
    // check constraint's own triggers are not statements of their own.
    std::vector<std::string> expected(10, "TRIGGER : T");
    expected[0] = "CHECK T: CK_T";
    EXPECT_EQ(Lines(), expected);
    const auto facts = Rows(src, kTriggerFacts);
    ASSERT_EQ(facts.size(), 9u);
    EXPECT_EQ(Rows(dst, kTriggerFacts), facts);

    // They fire as in the source: the inactive one does not.
    for (const char* statement : {"insert into T (ID) values (1)", "update T set V = 5", "delete from T"})
        Exec(dst, statement);
    EXPECT_EQ(Column(dst, "select EV from EVENTS order by N"),
              (std::vector<std::string>{"BI", "AI", "BU", "AU", "AUD", "BD", "AD", "AUD"}));
    EXPECT_EQ(Rows(src, "select count(*) from RDB$TRIGGERS where RDB$RELATION_NAME = 'T' and RDB$SYSTEM_FLAG = 3"),
              std::vector<std::string>{"2"});
}

TEST_F(TableTriggers, TriggersThatCannotCompileFailAlone) {
    Prepare(std::string(kTables) + kTriggers, "create table T (ID integer not null, V integer);");
    PlanOnly(source, destination, frame, {"T"}).Complete();
    // Every trigger but T_BIU writes into EVENTS, which the destination lacks.
    const auto errors = host.Errors();
    ASSERT_EQ(errors.size(), 8u);
    EXPECT_EQ(errors[0].caption, "TRIGGERT");
    EXPECT_NE(errors[0].text.find("EVENTS"), std::string::npos) << errors[0].text;
    EXPECT_EQ(Column(dst, "select RDB$TRIGGER_NAME from RDB$TRIGGERS where RDB$SYSTEM_FLAG = 0"),
              std::vector<std::string>{"T_BIU"});
}

TEST_F(TableTriggers, ATableWithoutTriggersWritesNothing) {
    Prepare(kTables, kTables);
    PlanOnly(source, destination, frame, {"EVENTS"}).Complete();
    EXPECT_TRUE(host.run.entries.empty());
}

TEST(TriggerEventWords, SingleAndMultiEventCodes) {
    const char* const single[] = {"BEFORE INSERT", "AFTER INSERT", "BEFORE UPDATE",
                                  "AFTER UPDATE",  "BEFORE DELETE", "AFTER DELETE"};
    for (int type = 1; type <= 6; ++type) EXPECT_EQ(TFrame_select_table::TriggerEventWords(type), single[type - 1]);
    EXPECT_EQ(TFrame_select_table::TriggerEventWords(17), "BEFORE INSERT OR UPDATE");
    EXPECT_EQ(TFrame_select_table::TriggerEventWords(18), "AFTER INSERT OR UPDATE");
    EXPECT_EQ(TFrame_select_table::TriggerEventWords(25), "BEFORE INSERT OR DELETE");
    EXPECT_EQ(TFrame_select_table::TriggerEventWords(27), "BEFORE UPDATE OR DELETE");
    EXPECT_EQ(TFrame_select_table::TriggerEventWords(28), "AFTER UPDATE OR DELETE");
    EXPECT_EQ(TFrame_select_table::TriggerEventWords(113), "BEFORE INSERT OR UPDATE OR DELETE");
    EXPECT_EQ(TFrame_select_table::TriggerEventWords(114), "AFTER INSERT OR UPDATE OR DELETE");
    for (int type : {0, -1, 7, 8, 8192, 8193, 16384}) EXPECT_EQ(TFrame_select_table::TriggerEventWords(type), "");
}

}  // namespace
