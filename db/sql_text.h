// Text helpers: trimming catalogue values, upper case, string literals and
// identifiers written for a dialect (every layer that puts a name or a text
// into a statement goes through these), stored sources put back into a
// statement, the names the engine makes up, and texts made safe to show.
#pragma once

#include "db/scoped_setting.h"

#include <string>

namespace dravik::db {

// Text trimmed of blanks and control characters at both ends.
std::string Trim(const std::string& text);
// Text trimmed of trailing blanks only: how the catalogue pads a name.
std::string TrimRight(const std::string& text);
std::string UpperCase(std::string text);

// 'text' with inner quotes doubled, always quoted (an empty text gives '').
std::string SqlString(const std::string& text);
// x'...': the bytes as a binary string literal, which the server stores as
// they are whatever the attachment's character set (for a value kept as raw
// bytes, such as an exception's message, that is no text of that set).
std::string SqlBytes(const std::string& bytes);
// SqlString, or NULL for a text that is empty or blank: a catalogue value
// that was never given (an entry point, a module name).
std::string SqlStringOrNull(const std::string& text);

// True for a name that dialect 3 reads back unchanged when written bare:
// an upper-case letter, then upper-case letters, digits, '_' or '$', and not
// a reserved word.
bool IsBareIdentifier(const std::string& name);
// The name as a statement of that SQL dialect must write it: bare when
// IsBareIdentifier, else in double quotes with inner '"' doubled. Trailing
// blanks (catalogue padding) are dropped first. In dialect 1 every name is
// bare: there a double-quoted text is a string, and a dialect 1 database
// holds only names that were written bare.
std::string QuoteIdentifier(const std::string& name, int dialect);
// The name for the dialect this thread writes names for (see NamesForDialect).
std::string QuoteIdentifier(const std::string& name);

// A text the catalogue keeps (a default, a check, a computed column's or an
// index's expression, a view's, routine's or trigger's source) as a statement
// must carry it: exactly as stored, and followed by a line end when it ends
// inside a "--" comment (the engine keeps a comment that follows the clause),
// so that nothing written after it falls into that comment. Strings, quoted
// names and block comments are read over, so "--" inside them is no comment.
// While a dialect 1 database becomes a dialect 3 one, the text is first
// rewritten by Dialect3Text (db/dialect_migration.h).
std::string EmbedStoredText(const std::string& text);
// The text with every character inside a comment, a string or a quoted name
// replaced by a blank (the same length): what is left is the code.
std::string CodeOnly(const std::string& text);

// True for a name the engine makes up itself: one of its prefixes (INTEG_,
// CHECK_, RDB$PRIMARY, RDB$FOREIGN, RDB$INDEX_, RDB$) followed by digits and
// nothing else (INTEG_12, RDB$PRIMARY3, RDB$7). Every other name, such as
// INTEG_ORDERS or RDB$PRIMARY_X, is the user's and is kept. Trailing blanks
// (catalogue padding) are ignored.
bool IsEngineMadeName(const std::string& name);

// The SQL dialect QuoteIdentifier writes names for on this thread while the
// object lives (3 outside of one): the job builds every statement of a clone
// for the destination's dialect.
class NamesForDialect : ScopedSetting<int> {
public:
    explicit NamesForDialect(int dialect);
};

// A text as it may be shown: every control character (C0, DEL and the C1
// range of UTF-8) written as an escape (\n, \r, \x1B, \u0085 ...), so that
// a name can neither break a log line nor reach the terminal as a command.
// A tab stays, and the line breaks the mode keeps: none (a name, one line of
// a listing), a CR LF pair (the separator of the lines of a server's
// message), or every CR and LF (a statement, shown indented line by line).
enum class LineBreaks { Escape, KeepCrLf, Keep };
std::string EscapeControls(const std::string& text, LineBreaks lineBreaks = LineBreaks::Escape);

}  // namespace dravik::db
