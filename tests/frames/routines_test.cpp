// The procedures page's other kinds: PSQL functions, packages (one calling
// another, a stand-alone routine sharing a packaged one's name), database and
// DDL triggers, each listed with its kind and rebuilt as the source has it.
#include "frames/collations.h"
#include "frames/database_triggers.h"
#include "frames/declareSQL.h"
#include "frames/fr_select_procedure.h"
#include "frames/fr_select_table.h"
#include "support/frame_pair.h"
#include "support/picked_plan.h"

using namespace dravik::frames;
using namespace dravik::test;

namespace {

const char* const kRoutines = R"(
create table T (ID integer not null primary key, NAME varchar(20));
set term ^;
create function F_TWICE (X integer not null, STEP integer = 1) returns bigint deterministic
as begin return X * 2 + STEP; end^
create package PKG_B as begin function TOP returns integer; end^
create package body PKG_B as begin function TOP returns integer as begin return 7; end end^
create package PKG_A as begin
  procedure LIST_IT (N type of column T.ID) returns (R integer);
  function SAME returns integer;
end^
create package body PKG_A as begin
  procedure LIST_IT (N type of column T.ID) returns (R integer) as begin R = PKG_B.TOP() + N; suspend; end
  function SAME returns integer as begin return 1; end
end^
create function SAME returns integer as begin return 2; end^
create procedure LIST_IT (A integer, B integer) returns (R integer) as begin R = A + B; suspend; end^
create trigger TR_CONNECT on connect position 3 as begin rdb$set_context('USER_SESSION', 'X', '1'); end^
create trigger TR_DDL after create table or drop view as begin end^
create trigger TR_ANY inactive before any ddl statement as begin end^
set term ;^
)";

const char* const kFacts =
    "select 'F', trim(RDB$FUNCTION_NAME), coalesce(trim(RDB$PACKAGE_NAME), ''), RDB$DETERMINISTIC_FLAG, "
    "RDB$FUNCTION_SOURCE from RDB$FUNCTIONS union all "
    "select 'A', trim(RDB$FUNCTION_NAME) || '.' || coalesce(trim(RDB$ARGUMENT_NAME), ''), "
    "coalesce(trim(RDB$PACKAGE_NAME), ''), RDB$NULL_FLAG, RDB$DEFAULT_SOURCE from RDB$FUNCTION_ARGUMENTS union all "
    "select 'P', trim(RDB$PROCEDURE_NAME), coalesce(trim(RDB$PACKAGE_NAME), ''), RDB$PROCEDURE_TYPE, "
    "RDB$PROCEDURE_SOURCE from RDB$PROCEDURES union all "
    "select 'K', trim(RDB$PACKAGE_NAME), '', 0, RDB$PACKAGE_HEADER_SOURCE || RDB$PACKAGE_BODY_SOURCE "
    "from RDB$PACKAGES union all "
    "select 'T', trim(RDB$TRIGGER_NAME), RDB$TRIGGER_TYPE, RDB$TRIGGER_SEQUENCE || coalesce(RDB$TRIGGER_INACTIVE, 0), "
    "RDB$TRIGGER_SOURCE from RDB$TRIGGERS where RDB$SYSTEM_FLAG = 0 order by 1, 2, 3";

class Routines : public FramePair {
protected:
    TFrame_select_procedure frame;
    TFrame_select_table tables;
    void SetUp() override { frame.wizard = tables.wizard = &host; }
};

TEST_F(Routines, FunctionsPackagesAndDatabaseTriggersAreListedWithTheirKindAndRebuilt) {
    MakeDatabases("UTF8");
    Isql(src, kRoutines);
    Connect();
    frame.LoadList(source, true);
    tables.LoadList(source, true);
    std::vector<std::string> captions;
    for (int i = 0; i < frame.SelectedCount(); ++i) captions.push_back(TrimRight(frame.SelectedItem(i).Caption));
    EXPECT_EQ(captions, (std::vector<std::string>{"FUNCTION F_TWICE", "FUNCTION SAME", "LIST_IT", "PACKAGE PKG_A",
                                                  "PACKAGE PKG_B", "TRIGGER TR_ANY", "TRIGGER TR_CONNECT",
                                                  "TRIGGER TR_DDL"}));
    // In the job's order of pages: the package header that names T.ID waits for the table.
    PickedPlan(source, destination, {&frame, &tables}).All();
    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(Rows(dst, kFacts), Rows(src, kFacts));
    EXPECT_EQ(Scalar(dst, "select R from PKG_A.LIST_IT(1)"), "8");
    EXPECT_EQ(Scalar(dst, "select SAME() || PKG_A.SAME() || F_TWICE(3) from RDB$DATABASE"), "217");
}

TEST(DatabaseTriggerEvents, KindsEventsAndTheWholeMask) {
    EXPECT_EQ(DatabaseTriggerEvents(8192), "ON CONNECT");
    EXPECT_EQ(DatabaseTriggerEvents(8196), "ON TRANSACTION ROLLBACK");
    EXPECT_EQ(DatabaseTriggerEvents(16386), "BEFORE CREATE TABLE");
    // DROP VIEW is event 18: its bit is 21, past the kind bits.
    EXPECT_EQ(DatabaseTriggerEvents(16384 + 1 + 2 + (std::int64_t{1} << 21)), "AFTER CREATE TABLE OR DROP VIEW");
    EXPECT_EQ(DatabaseTriggerEvents(9223372036854767615LL), "AFTER ANY DDL STATEMENT");
    EXPECT_EQ(DatabaseTriggerEvents(1), "");
    EXPECT_EQ(DatabaseTriggerEvents(8200), "");
    EXPECT_EQ(CollationClauses("UNICODE", 3, "COLL-VERSION=153.120;NUMERIC-SORT=1"),
              " FROM EXTERNAL ('UNICODE') PAD SPACE CASE INSENSITIVE 'NUMERIC-SORT=1'");
    EXPECT_EQ(CollationClauses("DE_DE", 4, ""), " FROM EXTERNAL ('DE_DE') NO PAD ACCENT INSENSITIVE");
}

}  // namespace
