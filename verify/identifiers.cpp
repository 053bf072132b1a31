#include "verify/identifiers.h"


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

}  // namespace dravik::verify
