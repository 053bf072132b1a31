#include "frames/pick_list.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

void PickList::MoveItem(TQorListItems& from, int i, TQorListItems& to) {
    if (i < 0 || i >= from.Count()) return;
    const TQorListItem copy = from.Item(i);
    to.Add(copy);
    from.Remove(i);
}

void PickList::Replace(const std::vector<TQorListItem>& items, bool toSelected) {
    srcList.Clear();
    dstList.Clear();
    TQorListItems& target = toSelected ? dstList : srcList;
    for (const TQorListItem& item : items) target.Add(item);
}

void PickList::btn_selectClick() {
    if (srcList.Focused() >= 0) MoveItem(srcList, srcList.Focused(), dstList);
}

void PickList::btn_deselectClick() {
    if (dstList.Focused() >= 0) MoveItem(dstList, dstList.Focused(), srcList);
}

void PickList::btn_selectAllClick() {
    while (srcList.Count() > 0) MoveItem(srcList, 0, dstList);
}

void PickList::btn_deselectAllClick() {
    while (dstList.Count() > 0) MoveItem(dstList, 0, srcList);
}

namespace {

int IndexOfObject(const TQorListItems& list, const std::string& name, schema::ObjectKind kind) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Item(i).Kind == kind && Trim(list.Item(i).ObjectName) == Trim(name)) return i;
    return -1;
}

}  // namespace

bool PickList::Select(const std::string& objectName, schema::ObjectKind kind) {
    const int i = IndexOfObject(srcList, objectName, kind);
    if (i < 0) return IndexOfObject(dstList, objectName, kind) >= 0;
    MoveItem(srcList, i, dstList);
    return true;
}

bool PickList::Deselect(const std::string& objectName, schema::ObjectKind kind) {
    const int i = IndexOfObject(dstList, objectName, kind);
    if (i < 0) return IndexOfObject(srcList, objectName, kind) >= 0;
    MoveItem(dstList, i, srcList);
    return true;
}

}  // namespace dravik::frames
