// The external-functions frame on real databases: Firebird's own ib_udf and
// fbudf declarations and hand-written ones declared again in the destination
// with the same catalogue rows, and failing declarations.
#include "frames/declareSQL.h"
#include "frames/fr_select_udf.h"
#include "support/frame_pair.h"
#include "support/picked_plan.h"

#include <fstream>
#include <sstream>

using namespace dravik::frames;
using namespace dravik::test;
using dravik::engine::kGreen;
using dravik::engine::kRed;

namespace {

const char* const kFunctions =
    "select RDB$FUNCTION_NAME, RDB$RETURN_ARGUMENT, RDB$ENTRYPOINT, RDB$MODULE_NAME from RDB$FUNCTIONS order by 1";
const char* const kArguments =
    "select RDB$FUNCTION_NAME, RDB$ARGUMENT_POSITION, RDB$MECHANISM, RDB$FIELD_TYPE, RDB$FIELD_SUB_TYPE, "
    "RDB$FIELD_LENGTH, RDB$FIELD_SCALE, RDB$FIELD_PRECISION, RDB$CHARACTER_SET_ID, RDB$CHARACTER_LENGTH "
    "from RDB$FUNCTION_ARGUMENTS order by 1, 2";

const char* const kHandWritten =
    "declare external function H_ONE integer, cstring(80) returns double precision by value\n"
    "  entry_point 'h_one' module_name 'h_module';\n"
    "declare external function H_FREE cstring(20) character set utf8, integer null\n"
    "  returns cstring(30) character set utf8 free_it entry_point 'h_free' module_name 'h_module';\n"
    "declare external function H_NONE returns integer by value entry_point 'h_none' module_name 'h_module';\n"
    "declare external function H_TYPES date, time, bigint, numeric(9,2) by descriptor,\n"
    "  char(3) character set win1251, blob, smallint, float returns timestamp\n"
    "  entry_point 'h_types' module_name 'h_module';\n"
    "declare external function H_PARAM varchar(10) character set utf8 by descriptor, integer, varchar(40)\n"
    "  returns parameter 3 entry_point 'h_param' module_name 'h_module';\n"
    "declare external function H_DESCFREE integer returns integer by descriptor free_it\n"
    "  entry_point 'h_descfree' module_name 'h_module';\n";

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class UdfFrame : public FramePair {
protected:
    TFrame_select_udf frame;
    void SetUp() override { frame.wizard = &host; }

    // The argument texts of one function, in position order.
    std::vector<std::string> ArgumentTypes(const std::string& function) {
        auto q = NewQuery(source, "select * from RDB$FUNCTION_ARGUMENTS where RDB$FUNCTION_NAME = '" + function +
                                      "' order by RDB$ARGUMENT_POSITION");
        q->Open();
        std::vector<std::string> types;
        for (; !q->Eof(); q->Next()) types.push_back(TFrame_select_udf::ArgumentType(source, *q));
        return types;
    }
};

TEST_F(UdfFrame, FirebirdsOwnDeclarationsAreDeclaredAgainUnchanged) {
    const std::string udfFolder = "/usr/lib/x86_64-linux-gnu/firebird/3.0/UDF/";
    const std::string ibUdf = FileText(udfFolder + "ib_udf.sql");
    const std::string fbUdf = FileText(udfFolder + "fbudf.sql");
    ASSERT_FALSE(ibUdf.empty());
    ASSERT_FALSE(fbUdf.empty());
    MakeDatabases("NONE");
    Isql(src, fbUdf);
    Isql(src, ibUdf);
    Connect();
    frame.LoadList(source, true);
    const int declared = std::stoi(Scalar(src, "select count(*) from RDB$FUNCTIONS"));
    ASSERT_GT(declared, 30);
    ASSERT_EQ(frame.SelectedCount(), declared);

    PickedPlan(source, destination, {&frame}).Create();

    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    ASSERT_EQ(host.run.entries.size(), static_cast<size_t>(declared));
    for (int i = 0; i < declared; ++i) {
        EXPECT_EQ(host.run.entries[static_cast<size_t>(i)].caption, "CREATE UDF");
        EXPECT_EQ(host.run.entries[static_cast<size_t>(i)].text, frame.SelectedName(i));
    }
    EXPECT_EQ(Rows(dst, kFunctions), Rows(src, kFunctions));
    EXPECT_EQ(Rows(dst, kArguments), Rows(src, kArguments));
}

TEST_F(UdfFrame, HandWrittenDeclarationsKeepTypesMechanismsAndResults) {
    MakeDatabases("NONE");
    Isql(src, kHandWritten);
    Connect();
    EXPECT_EQ(ArgumentTypes("H_ONE"),
              (std::vector<std::string>{"DOUBLE PRECISION BY VALUE", "INTEGER", "CSTRING(80)"}));
    EXPECT_EQ(ArgumentTypes("H_FREE"), (std::vector<std::string>{"CSTRING(30) CHARACTER SET  UTF8 FREE_IT",
                                                                 "CSTRING(20) CHARACTER SET  UTF8", "INTEGER NULL"}));
    EXPECT_EQ(ArgumentTypes("H_PARAM"), (std::vector<std::string>{"VARCHAR(10) CHARACTER SET  UTF8 BY DESCRIPTOR",
                                                                  "INTEGER", "VARCHAR(40)"}));
    EXPECT_EQ(ArgumentTypes("H_DESCFREE"),
              (std::vector<std::string>{"INTEGER BY DESCRIPTOR FREE_IT", "INTEGER"}));

    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).Create();

    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(host.run.entries.size(), 6u);
    EXPECT_EQ(Rows(dst, kFunctions), Rows(src, kFunctions));
    EXPECT_EQ(Rows(dst, kArguments), Rows(src, kArguments));
}

TEST_F(UdfFrame, FailingDeclarationsAreReportedAndTheOthersDeclared) {
    MakeDatabases("NONE");
    Isql(src, std::string(kHandWritten) +
                  // A stored function is no external one: not listed here.
                  "set term ^;\n"
                  "create function F_STORED (A integer) returns integer as begin return A; end^\n"
                  "set term ;^\n");
    Exec(dst, "declare external function H_ONE integer returns integer by value entry_point 'x' module_name 'y'");
    Connect();
    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).Create();

    const auto errors = host.Errors();
    ASSERT_EQ(errors.size(), 1u) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(Trim(errors[0].caption), "Registration error. The function:H_ONE");
    EXPECT_FALSE(errors[0].text.empty());
    EXPECT_EQ(host.run.entries.size(), 6u);
    size_t green = 0;
    for (const auto& e : host.run.entries) green += e.textColour == kGreen;
    EXPECT_EQ(green, 5u);
    // The destination's own H_ONE is left as it was.
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$FUNCTION_ARGUMENTS where RDB$FUNCTION_NAME = 'H_ONE'"), "2");
}

}  // namespace
