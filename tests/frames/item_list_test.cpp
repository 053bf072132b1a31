// The item lists of the selection frames: caption order and the focused item.
#include "controls/core/qor_list_items.h"
#include "frames/fr_select_table.h"

#include <gtest/gtest.h>

using namespace dravik;
using controls::CompareCaptions;
using controls::TQorListItems;

namespace {

std::vector<std::string> Captions(const TQorListItems& list) {
    std::vector<std::string> captions;
    for (int i = 0; i < list.Count(); ++i) captions.push_back(list.Item(i).Caption);
    return captions;
}

TEST(CaptionOrder, WordSortWithPunctuationDigitsLettersAndLowerCaseFirst) {
    EXPECT_LT(CompareCaptions("A_B", "AB"), 0);      // punctuation before letters
    EXPECT_LT(CompareCaptions("T1", "TA"), 0);       // digits before letters
    EXPECT_LT(CompareCaptions("abc", "ABC"), 0);     // lower case first for the same letters
    EXPECT_LT(CompareCaptions("ABC", "abd"), 0);     // but the letters decide first
    EXPECT_NE(CompareCaptions("CO-OP", "COOP"), 0);  // yet it still tells them apart
    EXPECT_LT(CompareCaptions("CO-OP", "COOPS"), 0);  // a hyphen weighs almost nothing
    EXPECT_EQ(CompareCaptions("SAME", "SAME"), 0);
}

TEST(ItemList, StaysSortedThroughMovesAndKeepsTheFocusRight) {
    frames::TFrame_select_table frame;
    for (const char* name : {"ORDERS", "CUSTOMERS", "ITEMS"}) frame.dstList.Add(name, name);
    EXPECT_EQ(Captions(frame.dstList), (std::vector<std::string>{"CUSTOMERS", "ITEMS", "ORDERS"}));

    frame.btn_deselectClick();  // nothing focused: nothing moves
    EXPECT_EQ(frame.dstList.Count(), 3);

    frame.dstList.SetFocused(frame.dstList.IndexOfCaption("ITEMS"));
    frame.btn_deselectClick();
    EXPECT_EQ(Captions(frame.srcList), (std::vector<std::string>{"ITEMS"}));
    EXPECT_EQ(frame.dstList.Focused(), -1);

    frame.btn_selectAllClick();
    EXPECT_EQ(Captions(frame.dstList), (std::vector<std::string>{"CUSTOMERS", "ITEMS", "ORDERS"}));
    frame.dstList.SetFocused(2);  // ORDERS
    frame.dstList.Remove(0);
    EXPECT_EQ(frame.dstList.Item(frame.dstList.Focused()).Caption, "ORDERS");
    frame.btn_deselectAllClick();
    EXPECT_EQ(frame.dstList.Count(), 0);
    EXPECT_EQ(Captions(frame.srcList), (std::vector<std::string>{"ITEMS", "ORDERS"}));
}

}  // namespace
