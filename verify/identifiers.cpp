#include "verify/identifiers.h"

#include <algorithm>
#include <cctype>

namespace dravik::verify {

namespace {

std::string Doubled(std::string_view text, char quote) {
    std::string out(1, quote);
    for (char c : text) {
        if (c == quote) out += quote;
        out += c;
    }
    out += quote;
    return out;
}

}  // namespace

std::string QuoteIdentifier(std::string_view name, int dialect) {
    return dialect < 2 ? std::string(name) : Doubled(name, '"');
}

std::string QuoteLiteral(std::string_view text) { return Doubled(text, '\''); }

bool IsGeneratedName(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return false;
    const std::string_view digits = name.substr(prefix.size());
    return std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool IsGeneratedIndexName(std::string_view name) {
    return IsGeneratedName(name, "RDB$PRIMARY") || IsGeneratedName(name, "RDB$FOREIGN") ||
           IsGeneratedName(name, "RDB$");
}

}  // namespace dravik::verify
