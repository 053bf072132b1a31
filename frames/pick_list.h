// A page's pick list: the objects offered and the objects picked, the moves
// between the two lists (the four buttons and the double clicks) and picking
// by name. It knows nothing of the catalogue: the frame fills it from its
// listing query and plans what is picked.
#pragma once

#include "controls/core/qor_list_items.h"

#include <string>
#include <vector>

namespace dravik::frames {

using controls::TQorListItem;
using controls::TQorListItems;

class PickList {
public:
    virtual ~PickList() = default;

    TQorListItems srcList;  // "Source": offered, not picked
    TQorListItems dstList;  // "Going to be copied ": picked

    int SelectedCount() const { return dstList.Count(); }
    const TQorListItem& SelectedItem(int i) const { return dstList.Item(i); }
    std::string SelectedName(int i) const { return dstList.Item(i).ObjectName; }
    // Moves item i of one list to the other (kept in caption order there).
    void MoveItem(TQorListItems& from, int i, TQorListItems& to);
    // Replaces both lists with these items, all picked when toSelected, else all offered.
    void Replace(const std::vector<TQorListItem>& items, bool toSelected);

    // The four buttons (and the double clicks).
    void btn_selectClick();
    void btn_selectAllClick();
    void btn_deselectClick();
    void btn_deselectAllClick();

    // Picks (or unpicks) the object of that name and kind (names compared
    // without surrounding blanks); false when it is not offered.
    bool Select(const std::string& objectName, schema::ObjectKind kind);
    bool Deselect(const std::string& objectName, schema::ObjectKind kind);
};

}  // namespace dravik::frames
