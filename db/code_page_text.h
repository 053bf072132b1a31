// Statement texts and described names between the program, which keeps
// them in UTF-8 (names are read from the catalogue as stored), and an
// attachment, which reads and writes them in its own character set.
#pragma once

#include <string>

namespace dravik::db {

// The text in the attachment's character set (its LC_CTYPE): unchanged for
// NONE, OCTETS and the Unicode sets, for plain ASCII, for a set iconv does
// not know, and for a text it cannot convert (the server then reports it).
std::string ToCodePage(const std::string& utf8, const std::string& codePage);
// A text the attachment gave back (a column's name) in UTF-8; the same
// exceptions.
std::string FromCodePage(const std::string& text, const std::string& codePage);

// Bytes taken as code page `codePage` (UTF8 included: then only checked),
// in UTF-8; false when they are not valid in it or iconv lacks the code page.
bool FromCodePageChecked(const std::string& text, const std::string& codePage, std::string& utf8);

}  // namespace dravik::db
