#include "db/dialect_migration.h"

#include "db/sql_text.h"

#include <cctype>

namespace dravik::db {

namespace {

thread_local bool migrating = false;

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$';
}

size_t SkipBlanks(const std::string& text, size_t at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) ++at;
    return at;
}

// After NUMERIC or DECIMAL at `at`: the position past "(p)" or "(p, s)" when
// p is wider than 9 digits (dialect 1 stores it as a double), else npos.
size_t WideExactEnd(const std::string& text, size_t at) {
    at = SkipBlanks(text, at);
    if (at >= text.size() || text[at] != '(') return std::string::npos;
    at = SkipBlanks(text, at + 1);
    int precision = 0;
    const size_t digits = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0 && precision < 100)
        precision = precision * 10 + (text[at++] - '0');
    if (at == digits || precision <= 9) return std::string::npos;
    at = SkipBlanks(text, at);
    if (at < text.size() && text[at] == ',') {
        at = SkipBlanks(text, at + 1);
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0) ++at;
        at = SkipBlanks(text, at);
    }
    return at < text.size() && text[at] == ')' ? at + 1 : std::string::npos;
}

// The end of the comment or single-quoted string (q'{...}' included) that
// starts at `at`, or `at` when none starts there. An unterminated one runs to
// the end of the text.
size_t KeptPartEnd(const std::string& text, size_t at) {
    const char c = text[at];
    const char next = at + 1 < text.size() ? text[at + 1] : '\0';
    size_t end = at;
    if (c == '-' && next == '-') {
        end = text.find_first_of("\r\n", at);
    } else if (c == '/' && next == '*') {
        end = text.find("*/", at + 2);
        if (end != std::string::npos) end += 2;
    } else if ((c == 'q' || c == 'Q') && next == '\'' && at + 2 < text.size()) {
        const char open = text[at + 2];
        const char close = open == '(' ? ')' : open == '[' ? ']' : open == '{' ? '}' : open == '<' ? '>' : open;
        end = text.find(std::string{close, '\''}, at + 3);
        if (end != std::string::npos) end += 2;
    } else if (c == '\'') {
        // A doubled quote inside reads as two strings back to back.
        end = text.find('\'', at + 1);
        if (end != std::string::npos) end += 1;
    }
    return end == std::string::npos ? text.size() : end;
}

}  // namespace

std::string Dialect3Text(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    size_t i = 0;
    while (i < text.size()) {
        const bool wordStart = IsNameStart(text[i]) && (i == 0 || !IsNameCharacter(text[i - 1]));
        if (const size_t kept = wordStart || !IsNameStart(text[i]) ? KeptPartEnd(text, i) : i; kept > i) {
            out.append(text, i, kept - i);
            i = kept;
        } else if (text[i] == '"') {
            // A dialect 1 string: "" inside stands for one ".
            std::string value;
            size_t j = i + 1;
            for (; j < text.size(); ++j) {
                if (text[j] != '"') value += text[j];
                else if (j + 1 < text.size() && text[j + 1] == '"') value += text[++j];
                else break;
            }
            if (j >= text.size()) {  // unterminated: left as it is
                out.append(text, i, std::string::npos);
                break;
            }
            out += SqlString(value);
            i = j + 1;
        } else if (wordStart) {
            size_t end = i;
            while (end < text.size() && IsNameCharacter(text[end])) ++end;
            const std::string word = UpperCase(text.substr(i, end - i));
            const size_t wideEnd =
                word == "NUMERIC" || word == "DECIMAL" ? WideExactEnd(text, end) : std::string::npos;
            if (word == "DATE") {
                out += "TIMESTAMP";
            } else if (wideEnd != std::string::npos) {
                out += "DOUBLE PRECISION";
                end = wideEnd;
            } else {
                out.append(text, i, end - i);
            }
            i = end;
        } else {
            out += text[i++];
        }
    }
    return out;
}

Dialect1IntoDialect3::Dialect1IntoDialect3(bool active) : ScopedSetting(migrating, active) {}

bool MigratingDialect1() { return migrating; }

}  // namespace dravik::db
