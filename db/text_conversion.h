// Text moved into the destination's new default character set: which
// declared character sets change, how a stored text's declarations are
// rewritten for it, and the job-long scope that makes it the active one.
#pragma once

#include "db/db_value.h"
#include "db/scoped_setting.h"

#include <map>
#include <set>
#include <string>

namespace dravik::db {

struct TextConversion {
    // The destination's default character set, upper case; empty: texts keep
    // their character sets.
    std::string newSet;
    // The code page the bytes of NONE texts are in; empty: NONE stays NONE.
    std::string noneAs;
    // The collations of the sets that convert: a text declared with one of
    // them gets the new set's default collation.
    std::set<std::string> convertedCollations;
    // The most bytes one character of the new set takes.
    int newSetBytesPerCharacter = 1;
    // The code page a catalogue text kept as bytes (an exception's message,
    // stored as the creating attachment sent it) is taken in when it is not
    // UTF-8: noneAs, else the source's default character set.
    std::string storedBytesCodePage;
    // Every character set of the source by id, and the new set's id.
    std::map<int, std::string> charsetNames;
    int newSetId = 0;

    // The most characters a CHAR (or, with varying, a VARCHAR) of the new
    // set holds: its byte limit shared out among the characters.
    int MaxCharacters(bool varying) const { return (varying ? 32765 : 32767) / newSetBytesPerCharacter; }

    bool Active() const { return !newSet.empty(); }
    // Whether a text declared in this character set is declared in newSet:
    // every real set but OCTETS and newSet itself; NONE only with noneAs.
    bool Converts(const std::string& charsetName) const;
    // The character set a declaration in charsetName gets.
    std::string Mapped(const std::string& charsetName) const { return Converts(charsetName) ? newSet : charsetName; }
    // A stored text (a PSQL body, a view's source, a computed column) with
    // each "CHARACTER SET x" that converts naming newSet and each
    // "COLLATE y" of a converted set removed; strings, quoted names and
    // comments are left as they are.
    std::string RewriteDeclarations(const std::string& text) const;
    // A value read from the source whose bytes the server handed over
    // unconverted (a NONE text, a short text blob read as its bytes) taken
    // as its code page and made UTF-8 of the new set; false when the bytes
    // are not valid in that code page.
    bool ConvertValue(DbValue& value) const;
    // A catalogue text kept as bytes, in UTF-8: as it is when it is UTF-8
    // already (or cannot be converted), else taken as storedBytesCodePage.
    std::string StoredBytesAsUtf8(const std::string& bytes) const;
};

// The conversion of the job running on this thread (inactive by default).
const TextConversion& ActiveTextConversion();

// Makes a conversion the active one for its lifetime.
class TextConversionScope : ScopedSetting<TextConversion> {
public:
    explicit TextConversionScope(TextConversion conversion);
};

}  // namespace dravik::db
