// The item list behind each of a frame's two lists: items with a caption, a
// hidden object name and the object's kind, always kept in caption order, and
// a focused item.
// The window's list widget shows one of these; the engine uses it directly.
#pragma once

#include "schema/object_kinds.h"

#include <string>
#include <vector>

namespace dravik::controls {

struct TQorListItem {
    std::string Caption;
    std::string ObjectName;
    std::vector<std::string> SubItems;
    schema::ObjectKind Kind = schema::ObjectKind::Table;
};

// The order of captions: a word sort in which hyphens and apostrophes carry
// almost no weight, other punctuation comes before digits and digits before
// letters, letters compare alphabetically and, for the same letter, lower
// case comes first. Returns <0, 0 or >0.
int CompareCaptions(const std::string& a, const std::string& b);

class TQorListItems {
public:
    // Inserts an item at its place in caption order; returns its index.
    int Add(const TQorListItem& item);
    int Add(const std::string& caption, const std::string& objectName,
            schema::ObjectKind kind = schema::ObjectKind::Table) {
        return Add(TQorListItem{caption, objectName, {}, kind});
    }
    int Count() const { return static_cast<int>(items_.size()); }
    const TQorListItem& Item(int i) const { return items_.at(static_cast<size_t>(i)); }
    // Removes item i; the others keep their order. A focused item removed leaves no focus.
    void Remove(int i);
    void Clear();
    // Index of the item that has the focus, or -1.
    int Focused() const { return focused_; }
    void SetFocused(int i) { focused_ = (i >= 0 && i < Count()) ? i : -1; }
    int IndexOfCaption(const std::string& caption) const;

private:
    std::vector<TQorListItem> items_;
    int focused_ = -1;
};

}  // namespace dravik::controls
