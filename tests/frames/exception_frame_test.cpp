// The exceptions frame on real databases: messages carried over byte for
// byte, empty messages, and the fixed text of a failure.
#include "frames/declareSQL.h"
#include "frames/fr_select_exception.h"
#include "support/frame_pair.h"
#include "support/picked_plan.h"

using namespace dravik::frames;
using namespace dravik::test;
using dravik::engine::kGreen;
using dravik::engine::kRed;

namespace {

const char* const kMessages =
    "select RDB$EXCEPTION_NAME, '[' || RDB$MESSAGE || ']' from RDB$EXCEPTIONS order by RDB$EXCEPTION_NAME";

class ExceptionFrame : public FramePair {
protected:
    TFrame_select_exception frame;
    void SetUp() override {
        frame.wizard = &host;
        MakeDatabases("WIN1251");
        Isql(src,
             "create exception E_QUOTE 'Can''t delete';\n"
             "create exception E_EMPTY '';\n"
             "create exception E_BLANK '   ';\n"
             "create exception E_PADDED '  two blanks either side  ';\n"
             "create exception E_CYRILLIC 'Ошибка: нет строки';\n",
             false, "UTF8");
        Connect();
    }
};

TEST_F(ExceptionFrame, MessagesAreCarriedOverAndEmptyOnesAreCreated) {
    frame.LoadList(source, true);
    ASSERT_EQ(frame.SelectedCount(), 5);
    PickedPlan(source, destination, {&frame}).Create();

    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(RunTexts());
    ASSERT_EQ(host.run.entries.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const auto& e = host.run.entries[static_cast<size_t>(i)];
        EXPECT_EQ(e.caption, "CREATE EXCEPTION");
        // The name as the list holds it, blanks and all.
        EXPECT_EQ(e.text, frame.SelectedName(i));
        EXPECT_EQ(e.textColour, kGreen);
    }
    EXPECT_EQ(Rows(dst, kMessages, "UTF8"),
              (std::vector<std::string>{"E_BLANK|[]", "E_CYRILLIC|[Ошибка: нет строки]", "E_EMPTY|[]",
                                        "E_PADDED|[  two blanks either side  ]", "E_QUOTE|[Can't delete]"}));
}

TEST_F(ExceptionFrame, AFailureShowsThePaddedNameAndTheFixedText) {
    Exec(dst, "create exception E_QUOTE 'already here'");
    frame.LoadList(source, true);
    PickedPlan(source, destination, {&frame}).Create();

    const auto errors = host.Errors();
    ASSERT_EQ(errors.size(), 1u) << ::testing::PrintToString(RunTexts());
    std::string listedName;
    for (int i = 0; i < frame.SelectedCount(); ++i)
        if (Trim(frame.SelectedName(i)) == "E_QUOTE") listedName = frame.SelectedName(i);
    EXPECT_EQ(errors[0].caption, "CREATE EXCEPTION " + listedName);
    EXPECT_EQ(errors[0].text, " Ошибка операции");
    EXPECT_EQ(host.run.entries.size(), 5u);
    EXPECT_EQ(Scalar(dst, "select RDB$MESSAGE from RDB$EXCEPTIONS where RDB$EXCEPTION_NAME = 'E_QUOTE'"),
              "already here");
}

TEST_F(ExceptionFrame, AnEmptySelectionWritesTheHeadingAlone) {
    frame.LoadList(source, true);
    frame.btn_deselectAllClick();
    EXPECT_EQ(frame.srcList.Count(), 5);
    frame.WriteSummary();
    PickedPlan(source, destination, {&frame}).Create();
    ASSERT_EQ(host.summary.entries.size(), 1u);
    EXPECT_EQ(host.summary.entries[0].caption, "\r\nExceptions");
    EXPECT_TRUE(host.run.entries.empty());
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$EXCEPTIONS"), "0");
}

}  // namespace
