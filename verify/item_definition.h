// The definition text of a catalogue item: one "key: value" line per
// attribute, in a fixed order. A NULL attribute has no line at all, so NULL
// and an empty text stay apart. Backslashes, line feeds and carriage returns
// inside values are escaped, so every attribute is one line and sources with
// several lines can be told apart attribute by attribute.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dravik::db {
class DbCursorSet;
}

namespace dravik::verify {

// The prefix of an attribute's column name where a name cannot be quoted.
inline constexpr char kBareAttributePrefix[] = "ATTR$";

class ItemDefinition {
public:
    // Adds "key: value"; nothing when the value is absent.
    void Add(std::string_view key, const std::optional<std::string>& value);
    // Adds every column of the current row whose name starts with a lower-case
    // letter, the column name being the key (queries give their definition
    // columns quoted lower-case names such as "default"; helper columns keep
    // upper-case names and are read by the caller), and every column named
    // kBareAttributePrefix + the key in upper case, blanks as '_' (dialect 1).
    void AddDescribedFields(db::DbCursorSet& row);

    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// The text with backslashes, line feeds and carriage returns escaped.
std::string EscapeLine(std::string_view text);

// The text as it was before EscapeLine.
std::string UnescapeLine(std::string_view line);

// Whether an attribute's value is a stored SQL text (a default, a check, a
// computed column's or an index's expression, a source, a header or body).
bool HoldsStoredText(std::string_view key);

// The lines of a definition as (key, value) pairs, values still escaped.
std::vector<std::pair<std::string, std::string>> SplitDefinition(const std::string& text);

}  // namespace dravik::verify
