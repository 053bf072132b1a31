// The domains frame on real databases: every type recreated exactly, the
// statement's clause order, and a failing domain reported in red.
#include "frames/declareSQL.h"
#include "frames/fr_select_domain.h"
#include "support/frame_pair.h"
#include "support/picked_plan.h"

using namespace dravik::frames;
using namespace dravik::test;
using dravik::engine::kGreen;
using dravik::engine::kRed;

namespace {

// The columns that make up a domain, one row per user domain.
const char* const kDomainColumns =
    "select RDB$FIELD_NAME, RDB$FIELD_TYPE, RDB$FIELD_SUB_TYPE, RDB$FIELD_LENGTH, RDB$FIELD_SCALE, "
    "RDB$FIELD_PRECISION, RDB$SEGMENT_LENGTH, RDB$CHARACTER_LENGTH, RDB$CHARACTER_SET_ID, RDB$COLLATION_ID, "
    "RDB$NULL_FLAG, RDB$DEFAULT_SOURCE from RDB$FIELDS where RDB$FIELD_NAME not like 'RDB$%' and "
    "RDB$SYSTEM_FLAG = 0 order by RDB$FIELD_NAME";

class DomainFrame : public FramePair {
protected:
    TFrame_select_domain frame;
    void SetUp() override { frame.wizard = &host; }
};

TEST_F(DomainFrame, EveryTypeIsRecreatedWithTheSourceDeclaration) {
    MakeDatabases("WIN1251");
    Isql(src,
         "create domain D_SMALL smallint;\n"
         "create domain D_INT integer default 5 not null;\n"
         "create domain D_BIG bigint;\n"
         "create domain D_NUM numeric(15,2) default 0;\n"
         "create domain D_DEC decimal(9,3);\n"
         "create domain D_NUM4 numeric(4,1);\n"
         "create domain D_FLOAT float;\n"
         "create domain D_DOUBLE double precision;\n"
         "create domain D_DATE date default current_date;\n"
         "create domain D_TIME time;\n"
         "create domain D_TS timestamp not null;\n"
         "create domain D_CHAR char(10);\n"
         "create domain D_VC varchar(20) character set win1251 default 'x' not null collate win1251_ua;\n"
         "create domain D_UTF varchar(7) character set utf8 collate unicode_ci;\n"
         "create domain D_NONE varchar(5) character set none;\n"
         "create domain D_BOOL boolean default true;\n"
         "create domain D_TEXT blob sub_type 1 segment size 80;\n"
         "create domain D_BIN blob sub_type 0 segment size 4096;\n"
         "create table T (A D_INT, B integer);\n");
    Connect();
    frame.LoadList(source, true);
    // The server's own SEC$/MON$ domains and the columns' implicit RDB$ ones are not offered.
    std::vector<std::string> listed;
    for (int i = 0; i < frame.SelectedCount(); ++i) listed.push_back(Trim(frame.SelectedName(i)));
    EXPECT_EQ(listed, (std::vector<std::string>{"D_BIG", "D_BIN", "D_BOOL", "D_CHAR", "D_DATE", "D_DEC",
                                                "D_DOUBLE", "D_FLOAT", "D_INT", "D_NONE", "D_NUM", "D_NUM4",
                                                "D_SMALL", "D_TEXT", "D_TIME", "D_TS", "D_UTF", "D_VC"}));
    EXPECT_EQ(frame.srcList.Count(), 0);

    PickedPlan(source, destination, {&frame}).Create();

    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    ASSERT_EQ(host.run.entries.size(), listed.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(host.run.entries[i].caption, "DOMAIN");
        EXPECT_EQ(host.run.entries[i].text, " " + listed[i] + " ");
        EXPECT_EQ(host.run.entries[i].textColour, kGreen);
    }
    EXPECT_FALSE(source.DefaultTransaction().InTransaction());
    EXPECT_EQ(Rows(dst, kDomainColumns), Rows(src, kDomainColumns));
}

// The statement keeps its clause order: type, default, NOT NULL, collation.
TEST_F(DomainFrame, DeclarationClausesAndTheirBlanks) {
    MakeDatabases("NONE");
    Isql(src,
         "create domain D_VC varchar(20) character set win1251 default 'it''s' not null collate win1251_ua;\n"
         "create domain D_INT integer;\n"
         "create domain D_TEXT blob sub_type 1 segment size 80 character set win1251;\n");
    Connect();
    const auto catalogue = dravik::schema::SourceCatalogue::Read(source);
    const auto declarationOf = [&](const std::string& name) {
        return TFrame_select_domain::DomainDeclaration(source, catalogue, *catalogue.Domain(name));
    };
    EXPECT_EQ(declarationOf("D_VC"), "VARCHAR(20) CHARACTER SET  WIN1251 default 'it''s' NOT NULL ");
    EXPECT_EQ(declarationOf("D_INT"), "INTEGER ");
    EXPECT_EQ(declarationOf("D_TEXT"), "BLOB SUB_TYPE 1 SEGMENT SIZE 80 CHARACTER SET  WIN1251 ");

    // The default clause is kept as the source wrote it. The collation comes
    // last; a default collation (id 0) is named too.
    PlanOnly(source, destination, frame, {"D_VC    "}).Create();
    PlanOnly(source, destination, frame, {"D_TEXT"}).Create();
    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(Rows(dst, "select RDB$FIELD_NAME, RDB$CHARACTER_SET_ID, RDB$COLLATION_ID, RDB$DEFAULT_SOURCE "
                        "from RDB$FIELDS where RDB$FIELD_NAME starting 'D_' order by 1"),
              (std::vector<std::string>{"D_TEXT|52|0|<null>", "D_VC|52|2|default 'it''s'"}));
    EXPECT_EQ(RunTexts(), (std::vector<std::string>{"DOMAIN:  D_VC ", "DOMAIN:  D_TEXT "}));
}

TEST_F(DomainFrame, AFailingDomainWritesARedLineAndTheNextOneFollows) {
    MakeDatabases("NONE");
    Isql(src, "create domain D_A integer;\ncreate domain D_B varchar(3);\ncreate domain D_C date;\n");
    Exec(dst, "create domain D_B smallint");
    Connect();
    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).Create();

    ASSERT_EQ(host.run.entries.size(), 3u) << ::testing::PrintToString(RunTexts());
    EXPECT_EQ(host.run.entries[0].text, " D_A ");
    EXPECT_EQ(host.run.entries[0].textColour, kGreen);
    const auto& failed = host.run.entries[1];
    EXPECT_EQ(failed.caption, "DOMAIN");
    EXPECT_EQ(failed.textColour, kRed);
    // The padded name, then at once the server's message.
    EXPECT_EQ(failed.text.rfind(" D_B ", 0), 0u) << failed.text;
    EXPECT_NE(failed.text.find("D_B", 5), std::string::npos) << failed.text;
    EXPECT_EQ(host.run.entries[2].text, " D_C ");
    EXPECT_EQ(host.run.entries[2].textColour, kGreen);

    // The destination's own D_B is untouched; the source's read transaction was ended.
    EXPECT_EQ(Scalar(dst, "select RDB$FIELD_TYPE from RDB$FIELDS where RDB$FIELD_NAME = 'D_B'"), "7");
    EXPECT_FALSE(source.DefaultTransaction().InTransaction());
}

TEST_F(DomainFrame, ANameWithoutARowIsReported) {
    MakeDatabases("NONE");
    Connect();
    PlanOnly(source, destination, frame, {"NO_SUCH"}).Create();
    ASSERT_EQ(host.Errors().size(), 1u);
    EXPECT_EQ(host.Errors()[0].caption, "DOMAIN");
    EXPECT_EQ(host.Errors()[0].text.rfind(" NO_SUCH ", 0), 0u);
    EXPECT_GT(host.Errors()[0].text.size(), std::string(" NO_SUCH ").size());
    EXPECT_TRUE(Column(dst, "select RDB$FIELD_NAME from RDB$FIELDS where RDB$FIELD_NAME = 'NO_SUCH'").empty());
}

}  // namespace
