#include "db/sql_text.h"

#include "db/dialect_migration.h"
#include "db/text_conversion.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace dravik::db {

namespace {

// Firebird's reserved words (3.0, with those later versions added), and the
// keywords that some statement positions read as keywords. Quoting a word
// that would also have worked bare changes nothing, so the list errs on the
// long side.
constexpr std::array<std::string_view, 245> kReservedWords = {
    "ACTIVE", "ADD", "ADMIN", "AFTER", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "ASCENDING", "AT", "AUTO",
    "AVG", "BEFORE", "BEGIN", "BETWEEN", "BIGINT", "BINARY", "BIT_LENGTH", "BLOB", "BOOLEAN", "BOTH", "BY",
    "CASE", "CAST", "CHAR", "CHARACTER", "CHARACTER_LENGTH", "CHAR_LENGTH", "CHECK", "CLOSE", "COLLATE",
    "COLUMN", "COMMIT", "COMPUTED", "CONDITIONAL", "CONNECT", "CONSTRAINT", "CONTAINING", "CORR", "COUNT",
    "COVAR_POP", "COVAR_SAMP", "CREATE", "CROSS", "CSTRING", "CURRENT", "CURRENT_CONNECTION", "CURRENT_DATE",
    "CURRENT_ROLE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_TRANSACTION", "CURRENT_USER", "CURSOR",
    "DATABASE", "DATE", "DAY", "DEC", "DECFLOAT", "DECIMAL", "DECLARE", "DEFAULT", "DELETE", "DELETING",
    "DESC", "DESCENDING", "DETERMINISTIC", "DISCONNECT", "DISTINCT", "DO", "DOMAIN", "DOUBLE", "DROP", "ELSE",
    "END", "ENTRY_POINT", "ESCAPE", "EXCEPTION", "EXECUTE", "EXISTS", "EXIT", "EXTERNAL", "EXTRACT", "FALSE",
    "FETCH", "FILTER", "FLOAT", "FOR", "FOREIGN", "FROM", "FULL", "FUNCTION", "GDSCODE", "GENERATOR", "GEN_ID",
    "GLOBAL", "GRANT", "GROUP", "HAVING", "HOUR", "IF", "IN", "INACTIVE", "INDEX", "INNER", "INSENSITIVE",
    "INSERT", "INSERTING", "INT", "INT128", "INTEGER", "INTO", "IS", "JOIN", "KEY", "LATERAL", "LEADING",
    "LEFT", "LIKE", "LOCAL", "LOCALTIME", "LOCALTIMESTAMP", "LONG", "LOWER", "MAX", "MAXIMUM_SEGMENT", "MERGE",
    "MIN", "MINUTE", "MODULE_NAME", "MONTH", "NATIONAL", "NATURAL", "NCHAR", "NO", "NOT", "NULL", "NUMERIC",
    "OCTET_LENGTH", "OF", "OFFSET", "ON", "ONLY", "OPEN", "OR", "ORDER", "OUTER", "OVER", "PARAMETER", "PLAN",
    "POSITION", "POST_EVENT", "PRECISION", "PRIMARY", "PROCEDURE", "PUBLIC", "RDB$DB_KEY", "RDB$ERROR",
    "RDB$GET_CONTEXT", "RDB$GET_TRANSACTION_CN", "RDB$RECORD_VERSION", "RDB$ROLE_IN_USE", "RDB$SET_CONTEXT",
    "RDB$SYSTEM_PRIVILEGE", "REAL", "RECORD_VERSION", "RECREATE", "RECURSIVE", "REFERENCES", "REGR_AVGX",
    "REGR_AVGY", "REGR_COUNT", "REGR_INTERCEPT", "REGR_R2", "REGR_SLOPE", "REGR_SXX", "REGR_SXY", "REGR_SYY",
    "RELEASE", "RESETTING", "RETURN", "RETURNING", "RETURNING_VALUES", "RETURNS", "REVOKE", "RIGHT",
    "ROLLBACK", "ROW", "ROWS", "ROW_COUNT", "SAVEPOINT", "SCROLL", "SECOND", "SELECT", "SENSITIVE", "SET",
    "SIMILAR", "SMALLINT", "SOME", "SQLCODE", "SQLSTATE", "START", "STDDEV_POP", "STDDEV_SAMP", "SUM",
    "SUSPEND", "TABLE", "THEN", "TIME", "TIMESTAMP", "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "TO", "TRAILING",
    "TRIGGER", "TRIM", "TRUE", "TYPE", "UNBOUNDED", "UNION", "UNIQUE", "UNKNOWN", "UPDATE", "UPDATING",
    "UPPER", "USER", "USING", "VALUE", "VALUES", "VARBINARY", "VARCHAR", "VARIABLE", "VARYING", "VAR_POP",
    "VAR_SAMP", "VIEW", "WHEN", "WHERE", "WHILE", "WINDOW", "WITH", "WITHOUT", "YEAR"};

// The dialect QuoteIdentifier writes names for on this thread (NamesForDialect).
thread_local int namesDialect = 3;

bool IsReserved(const std::string& word) {
    return std::binary_search(kReservedWords.begin(), kReservedWords.end(), std::string_view(word));
}

// Where a stored text ends: in plain text, or inside a comment or a string.
enum class TextState { Plain, LineComment, BlockComment, Quoted };

// The closing delimiter of an alternative string q'<delimiter>...<delimiter>'.
char ClosingDelimiter(char opening) {
    switch (opening) {
        case '(': return ')';
        case '[': return ']';
        case '{': return '}';
        case '<': return '>';
        default: return opening;
    }
}

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$';
}

// code, when given, gets the text with every character inside a comment,
// a string or a quoted name blanked out.
TextState StateAtEnd(const std::string& text, std::string* code = nullptr) {
    if (code) code->assign(text.size(), ' ');
    TextState state = TextState::Plain;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (state == TextState::LineComment) {
            if (c == '\n' || c == '\r') state = TextState::Plain;
            ++i;
        } else if (state == TextState::BlockComment) {
            if (c == '*' && next == '/') {
                state = TextState::Plain;
                ++i;
            }
            ++i;
        } else if (c == '-' && next == '-') {
            state = TextState::LineComment;
            i += 2;
        } else if (c == '/' && next == '*') {
            state = TextState::BlockComment;
            i += 2;
        } else if ((c == 'q' || c == 'Q') && next == '\'' && i + 2 < text.size() &&
                   (i == 0 || !IsNameCharacter(text[i - 1]))) {
            // q'{...}': the string ends at the closing delimiter and a quote.
            const char close = ClosingDelimiter(text[i + 2]);
            size_t end = i + 3;
            while (end + 1 < text.size() && !(text[end] == close && text[end + 1] == '\'')) ++end;
            if (end + 1 >= text.size()) return TextState::Quoted;
            i = end + 2;
        } else if (c == '\'' || c == '"') {
            // A doubled quote inside is read as two strings back to back.
            const size_t end = text.find(c, i + 1);
            if (end == std::string::npos) return TextState::Quoted;
            i = end + 1;
        } else {
            if (code) (*code)[i] = c;
            ++i;
        }
    }
    return state;
}

}  // namespace

std::string EmbedStoredText(const std::string& stored) {
    // A dialect 1 source becoming dialect 3 has its texts rewritten first;
    // then declarations follow the text conversion the job asked for, if any
    // (and a text an old client stored as its own bytes becomes UTF-8).
    const std::string migrated = MigratingDialect1() ? Dialect3Text(stored) : stored;
    const TextConversion& conversion = ActiveTextConversion();
    const std::string text =
        conversion.Active() ? conversion.RewriteDeclarations(conversion.StoredBytesAsUtf8(migrated)) : migrated;
    return StateAtEnd(text) == TextState::LineComment ? text + "\n" : text;
}

std::string CodeOnly(const std::string& text) {
    std::string code;
    StateAtEnd(text, &code);
    return code;
}

bool IsEngineMadeName(const std::string& name) {
    static constexpr std::array<std::string_view, 6> kPrefixes = {"INTEG_",      "CHECK_",     "RDB$PRIMARY",
                                                                  "RDB$FOREIGN", "RDB$INDEX_", "RDB$"};
    const std::string stored = TrimRight(name);
    const std::string_view view(stored);
    return std::any_of(kPrefixes.begin(), kPrefixes.end(), [&](std::string_view prefix) {
        if (view.size() <= prefix.size() || view.substr(0, prefix.size()) != prefix) return false;
        const std::string_view digits = view.substr(prefix.size());
        return std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    });
}

std::string Trim(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

std::string TrimRight(const std::string& text) {
    size_t e = text.size();
    while (e > 0 && text[e - 1] == ' ') --e;
    return text.substr(0, e);
}

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string SqlString(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

std::string SqlBytes(const std::string& bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string literal = "x'";
    for (unsigned char c : bytes) {
        literal += kHex[c >> 4];
        literal += kHex[c & 15];
    }
    return literal + "'";
}

bool IsBareIdentifier(const std::string& name) {
    if (name.empty() || name.size() > 63 || name[0] < 'A' || name[0] > 'Z') return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$')) return false;
    return !IsReserved(name);
}

std::string SqlStringOrNull(const std::string& text) { return Trim(text).empty() ? "NULL" : SqlString(text); }

std::string QuoteIdentifier(const std::string& name) { return QuoteIdentifier(name, namesDialect); }

std::string QuoteIdentifier(const std::string& name, int dialect) {
    const std::string stored = TrimRight(name);
    if (dialect < 2 || IsBareIdentifier(stored)) return stored;
    std::string quoted = "\"";
    for (char c : stored) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

NamesForDialect::NamesForDialect(int dialect) : ScopedSetting(namesDialect, dialect) {}

std::string EscapeControls(const std::string& text, LineBreaks lineBreaks) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool lineBreak = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (lineBreaks == LineBreaks::KeepCrLf && lineBreak) {
            out += "\r\n";
            ++i;
        } else if (lineBreaks == LineBreaks::Keep && (c == '\r' || c == '\n')) {
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            const auto next = static_cast<unsigned char>(text[++i]);
            out += "\\u00";
            out += kHex[next >> 4];
            out += kHex[next & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace dravik::db
