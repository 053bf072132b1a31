// Names as the catalogue stores them: quoting for generated SQL, literals,
// and the names the engine makes up itself (RDB$12, INTEG_7, ...).
#pragma once

#include <string>
#include <string_view>

namespace dravik::verify {

// "NAME" with every inner " doubled, exactly as stored (case and blanks kept);
// in dialect 1, which has no quoted names, the name as it is.
std::string QuoteIdentifier(std::string_view name, int dialect);

// 'text' with every inner ' doubled.
std::string QuoteLiteral(std::string_view text);

// True when the name is the prefix followed by one or more digits and nothing
// else: the form of every name the engine generates (RDB$12, INTEG_7,
// RDB$PRIMARY3, RDB$FOREIGN9, CHECK_2).
bool IsGeneratedName(std::string_view name, std::string_view prefix);

// The generated index names: RDB$PRIMARYn, RDB$FOREIGNn and RDB$n.
bool IsGeneratedIndexName(std::string_view name);

}  // namespace dravik::verify
