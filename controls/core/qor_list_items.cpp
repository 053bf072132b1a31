#include "controls/core/qor_list_items.h"

#include <algorithm>
#include <cctype>

namespace dravik::controls {

namespace {

bool Ignorable(unsigned char c) { return c == '-' || c == '\''; }

// Primary weight of a character: punctuation, then digits, then letters
// (case folded), then everything outside ASCII.
int Weight(unsigned char c) {
    if (std::isalpha(c)) return 3000 + std::tolower(c);
    if (std::isdigit(c)) return 2000 + c;
    if (c < 128) return 1000 + c;
    return 4000 + c;
}

}  // namespace

int CompareCaptions(const std::string& a, const std::string& b) {
    // First pass: primary weights, skipping hyphens and apostrophes.
    size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && Ignorable(static_cast<unsigned char>(a[i]))) ++i;
        while (j < b.size() && Ignorable(static_cast<unsigned char>(b[j]))) ++j;
        if (i == a.size() || j == b.size()) break;
        const int wa = Weight(static_cast<unsigned char>(a[i])), wb = Weight(static_cast<unsigned char>(b[j]));
        if (wa != wb) return wa < wb ? -1 : 1;
        ++i;
        ++j;
    }
    const bool aDone = i == a.size(), bDone = j == b.size();
    if (aDone != bDone) return aDone ? -1 : 1;
    // Second pass: the first difference in case decides, lower case first.
    i = j = 0;
    for (;;) {
        while (i < a.size() && Ignorable(static_cast<unsigned char>(a[i]))) ++i;
        while (j < b.size() && Ignorable(static_cast<unsigned char>(b[j]))) ++j;
        if (i == a.size() || j == b.size()) break;
        const unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
        if (ca != cb) return std::islower(ca) ? -1 : 1;
        ++i;
        ++j;
    }
    // Last: hyphens and apostrophes, by plain byte order.
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int TQorListItems::Add(const TQorListItem& item) {
    const auto at = std::upper_bound(items_.begin(), items_.end(), item, [](const TQorListItem& x, const TQorListItem& y) {
        return CompareCaptions(x.Caption, y.Caption) < 0;
    });
    const int index = static_cast<int>(at - items_.begin());
    items_.insert(at, item);
    if (focused_ >= index) ++focused_;
    return index;
}

void TQorListItems::Remove(int i) {
    if (i < 0 || i >= Count()) return;
    items_.erase(items_.begin() + i);
    if (focused_ == i)
        focused_ = -1;
    else if (focused_ > i)
        --focused_;
}

void TQorListItems::Clear() {
    items_.clear();
    focused_ = -1;
}

int TQorListItems::IndexOfCaption(const std::string& caption) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<size_t>(i)].Caption == caption) return i;
    return -1;
}

}  // namespace dravik::controls
