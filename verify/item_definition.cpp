#include "verify/item_definition.h"

#include "db/db_cursor_set.h"
#include "verify/catalogue_rows.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace dravik::verify {

std::string EscapeLine(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::string UnescapeLine(std::string_view line) {
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            out += line[i];
            continue;
        }
        const char next = line[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

bool HoldsStoredText(std::string_view key) {
    static constexpr std::array<std::string_view, 8> kKeys = {"source", "default", "check", "computed",
                                                              "view source", "expression", "body", "header"};
    return std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end();
}

void ItemDefinition::Add(std::string_view key, const std::optional<std::string>& value) {
    if (!value) return;
    text_.append(key);
    text_ += ": ";
    text_ += EscapeLine(*value);
    text_ += '\n';
}

namespace {

// "ATTR$NOT_NULL" -> "not null".
std::string BareAttributeKey(const std::string& column) {
    std::string key = column.substr(std::string_view(kBareAttributePrefix).size());
    for (char& c : key) c = c == '_' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

}  // namespace

void ItemDefinition::AddDescribedFields(db::DbCursorSet& row) {
    for (int i = 0; i < row.FieldCount(); ++i) {
        db::DbField& field = row.Fields(i);
        const std::string& name = field.FieldName();
        if (!name.empty() && name[0] >= 'a' && name[0] <= 'z') Add(name, FieldText(field));
        if (name.rfind(kBareAttributePrefix, 0) == 0) Add(BareAttributeKey(name), FieldText(field));
    }
}

std::vector<std::pair<std::string, std::string>> SplitDefinition(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + at, end - at);
        const size_t colon = line.find(": ");
        if (colon == std::string_view::npos)
            lines.emplace_back(std::string(line), std::string());
        else
            lines.emplace_back(std::string(line.substr(0, colon)), std::string(line.substr(colon + 2)));
        at = end + 1;
    }
    return lines;
}

}  // namespace dravik::verify
