// The procedures frame on real databases: stubs with exact parameter types in
// the create pass, real bodies in the completion pass, procedures that call
// each other, and the failures of either pass.
#include "frames/declareSQL.h"
#include "frames/fr_select_procedure.h"
#include "support/frame_pair.h"
#include "support/picked_plan.h"

using namespace dravik::frames;
using namespace dravik::test;
using dravik::engine::kGreen;
using dravik::engine::kRed;

namespace {

// Every parameter with the columns of its type.
const char* const kParameters =
    "select p.RDB$PROCEDURE_NAME, p.RDB$PARAMETER_NAME, p.RDB$PARAMETER_TYPE, p.RDB$PARAMETER_NUMBER, "
    "f.RDB$FIELD_TYPE, f.RDB$FIELD_SUB_TYPE, f.RDB$FIELD_LENGTH, f.RDB$FIELD_SCALE, f.RDB$FIELD_PRECISION, "
    "f.RDB$SEGMENT_LENGTH, f.RDB$CHARACTER_LENGTH, f.RDB$CHARACTER_SET_ID, p.RDB$PARAMETER_MECHANISM, "
    "p.RDB$NULL_FLAG, p.RDB$DEFAULT_SOURCE, f.RDB$COLLATION_ID, p.RDB$RELATION_NAME, p.RDB$FIELD_NAME, "
    "case when p.RDB$FIELD_SOURCE starting 'RDB$' then '' else p.RDB$FIELD_SOURCE end "
    "from RDB$PROCEDURE_PARAMETERS p join RDB$FIELDS f on f.RDB$FIELD_NAME = p.RDB$FIELD_SOURCE "
    "order by 1, 3, 4";
const char* const kBodies =
    "select RDB$PROCEDURE_NAME, RDB$PROCEDURE_SOURCE from RDB$PROCEDURES where RDB$SYSTEM_FLAG = 0 order by 1";

const char* const kTypes =
    "select RDB$PROCEDURE_NAME, RDB$PROCEDURE_TYPE from RDB$PROCEDURES where RDB$SYSTEM_FLAG = 0 order by 1";

class ProcedureFrame : public FramePair {
protected:
    TFrame_select_procedure frame;
    void SetUp() override { frame.wizard = &host; }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (int i = 0; i < frame.SelectedCount(); ++i) names.push_back(Trim(frame.SelectedName(i)));
        return names;
    }
};

TEST_F(ProcedureFrame, ProceduresThatCallEachOtherAreCreatedThenCompleted) {
    MakeDatabases("WIN1251");
    // P_EVEN calls P_ODD, listed after it; P_ODD calls P_EVEN, listed before it.
    Isql(src,
         "set term ^;\n"
         "create procedure P_ODD (N integer) returns (R boolean) as begin R = false; suspend; end^\n"
         "create procedure P_EVEN (N integer) returns (R boolean)\n"
         "as\n"
         "begin\n"
         "  if (N = 0) then R = true; else execute procedure P_ODD (N - 1) returning_values R;\n"
         "  suspend;\n"
         "end^\n"
         "alter procedure P_ODD (N integer) returns (R boolean)\n"
         "as\n"
         "declare variable X integer;\n"
         "begin\n"
         "  X = N;\n"
         "  if (X = 0) then R = false; else execute procedure P_EVEN (X - 1) returning_values R;\n"
         "  suspend;\n"
         "end^\n"
         "create procedure P_PLAIN as begin exit; end^\n"
         "set term ;^\n");
    Connect();
    frame.LoadList(source, true);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"P_EVEN", "P_ODD", "P_PLAIN"}));

    PickedPlan plan(source, destination, {&frame});
    plan.Create();
    EXPECT_EQ(RunTexts(), (std::vector<std::string>{"PROCEDURE: P_EVEN", "PROCEDURE: P_ODD", "PROCEDURE: P_PLAIN"}));
    // After the create pass the procedures that call each other are stubs
    // that exit, with a SUSPEND never reached where the source's procedure is
    // selectable; the procedure no cycle holds is whole.
    EXPECT_EQ(Rows(dst, kBodies), (std::vector<std::string>{"P_EVEN|begin\r\n\texit;\r\n\tsuspend;\r\nend",
                                                            "P_ODD|begin\r\n\texit;\r\n\tsuspend;\r\nend",
                                                            "P_PLAIN|begin exit; end"}));
    EXPECT_EQ(Rows(dst, kTypes), Rows(src, kTypes));
    EXPECT_EQ(Rows(dst, kParameters), Rows(src, kParameters));

    plan.Complete();
    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(host.run.entries.size(), 5u);
    for (const auto& e : host.run.entries) EXPECT_EQ(e.textColour, kGreen);
    EXPECT_EQ(Rows(dst, kBodies), Rows(src, kBodies));
    EXPECT_EQ(Rows(dst, kParameters), Rows(src, kParameters));
    // The bodies work: they call each other in the destination.
    const char* const check = "select (select R from P_EVEN(10)), (select R from P_EVEN(7)), "
                              "(select R from P_ODD(3)) from RDB$DATABASE";
    EXPECT_EQ(Rows(dst, check), (std::vector<std::string>{"TRUE|FALSE|TRUE"}));
}

// A body that selects from a procedure whose own body comes later in the
// list compiles against that procedure's stub.
TEST_F(ProcedureFrame, SelectingFromAProcedureListedLater) {
    MakeDatabases("NONE");
    Isql(src,
         "set term ^;\n"
         "create procedure P_B_NUMBERS returns (N integer) as begin N = 1; suspend; N = 2; suspend; end^\n"
         "create procedure P_A_TOTAL returns (T integer) as\n"
         "declare variable X integer;\n"
         "begin\n"
         "  T = 0;\n"
         "  for select N from P_B_NUMBERS into :X do T = T + X;\n"
         "  suspend;\n"
         "end^\n"
         "set term ;^\n");
    Connect();
    frame.LoadList(source, true);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"P_A_TOTAL", "P_B_NUMBERS"}));
    PickedPlan(source, destination, {&frame}).All();
    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(Scalar(dst, "select T from P_A_TOTAL"), "3");
    EXPECT_EQ(Rows(dst, kTypes), Rows(src, kTypes));
}

TEST_F(ProcedureFrame, ParametersKeepTheirExactTypesAndAttributes) {
    MakeDatabases("WIN1251");
    const std::string shared = "create domain D_AMOUNT numeric(15,2);\n"
                               "create table \"Tab\" (\"Col\" varchar(9) character set utf8);\n";
    Isql(dst, shared);
    Isql(src,
         shared +
         "set term ^;\n"
         "create procedure P_TYPES (A smallint, B integer, C bigint, D numeric(15,2), E decimal(9,3),\n"
         "  F float, G double precision, H date, I time, J timestamp, K char(5), L varchar(20),\n"
         "  M varchar(7) character set utf8 collate unicode_ci, N boolean not null,\n"
         "  O blob sub_type 1 segment size 80, P blob sub_type 0,\n"
         "  Q D_AMOUNT, S type of D_AMOUNT not null, U type of column \"Tab\".\"Col\", V integer = 5,\n"
         "  W varchar(3) default 'x')\n"
         "returns (R decimal(18,4), T char(3) character set octets)\n"
         "as begin R = D; T = 'abc'; suspend; end^\n"
         "set term ;^\n");
    Connect();
    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).All();

    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(Rows(dst, kParameters), Rows(src, kParameters));
    EXPECT_EQ(Rows(dst, kBodies), Rows(src, kBodies));
}

TEST_F(ProcedureFrame, HeaderTextOfInputsAndOutputs) {
    MakeDatabases("NONE");
    Isql(src,
         "set term ^;\n"
         "create procedure P_BOTH (A integer, B varchar(10)) returns (R double precision) as begin R = A; end^\n"
         "create procedure P_OUT returns (X char(5), Y numeric(9,2)) as begin X = 'a'; end^\n"
         "create procedure P_NONE as begin exit; end^\n"
         "set term ;^\n");
    Connect();
    const auto catalogue = dravik::schema::SourceCatalogue::Read(source);
    EXPECT_EQ(TFrame_select_procedure::ParameterList(source, catalogue, "P_BOTH"),
              "(\r\n\tA  INTEGER,\r\n\tB  VARCHAR(10) CHARACTER SET  NONE\r\n)"
              "\r\nRETURNS(\r\n\tR  DOUBLE PRECISION\r\n)");
    EXPECT_EQ(TFrame_select_procedure::ParameterList(source, catalogue, "P_OUT"),
              "\r\nRETURNS(\r\n\tX  CHAR(5) CHARACTER SET  NONE,\r\n\tY  NUMERIC(9,2)\r\n)");
    EXPECT_EQ(TFrame_select_procedure::ParameterList(source, catalogue, "P_NONE"), "");
    EXPECT_FALSE(source.DefaultTransaction().InTransaction());
}

TEST_F(ProcedureFrame, AQuotedNameIsUsedExactly) {
    MakeDatabases("NONE");
    Isql(src,
         "set term ^;\n"
         "create procedure \"p_one\" returns (R integer) as begin R = 1; suspend; end^\n"
         "create procedure P_ONE returns (R integer) as begin R = 2; suspend; end^\n"
         "set term ;^\n");
    Connect();
    PlanOnly(source, destination, frame, {"p_one   "}).All();
    EXPECT_EQ(RunTexts(), (std::vector<std::string>{"PROCEDURE: p_one"}));
    EXPECT_EQ(Scalar(dst, "select R from \"p_one\""), "1");
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$PROCEDURES where RDB$PROCEDURE_NAME = 'P_ONE'"), "0");
}

TEST_F(ProcedureFrame, FailuresOfEitherPassAreReportedAndTheStubStays) {
    MakeDatabases("NONE");
    Isql(src,
         "create table T (A integer);\n"
         "set term ^;\n"
         "create procedure P_TABLE returns (N integer) as begin select count(*) from T into N; suspend; end^\n"
         "create procedure P_TAKEN as begin exit; end^\n"
         "set term ;^\n");
    // The destination has its own P_TAKEN, with another header; T is not copied.
    Isql(dst,
         "set term ^;\n"
         "create procedure P_TAKEN (Z integer) as begin exit; end^\n"
         "set term ;^\n");
    Connect();
    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).All();

    // Each procedure that fails whole is made as a stub, then altered.
    const auto& e = host.run.entries;
    ASSERT_EQ(e.size(), 4u) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(EntryLine(e[0]), "PROCEDURE: P_TABLE");
    EXPECT_EQ(e[1].caption, "CREATE ERROR. PROCEDURE P_TABLE");
    EXPECT_EQ(e[1].textColour, kRed);
    EXPECT_NE(e[1].text.find("T"), std::string::npos);
    EXPECT_EQ(e[2].caption, "CREATE ERROR. PROCEDURE P_TAKEN");
    EXPECT_EQ(e[2].textColour, kRed);
    // Altering the destination's own P_TAKEN to the source's header and body succeeds.
    EXPECT_EQ(EntryLine(e[3]), "PROCEDURE: P_TAKEN");
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$PROCEDURE_PARAMETERS where RDB$PROCEDURE_NAME = 'P_TAKEN'"), "0");
    // P_TABLE stays a stub that exits at once.
    EXPECT_EQ(Column(dst, "select N from P_TABLE").size(), 0u);
}

}  // namespace
