// Names as the catalogue stores them: quoting for generated SQL and literals.
#pragma once

#include <string>
#include <string_view>

namespace dravik::verify {

// "NAME" with every inner " doubled, exactly as stored (case and blanks kept);
// in dialect 1, which has no quoted names, the name as it is.
std::string QuoteIdentifier(std::string_view name, int dialect);

// 'text' with every inner ' doubled.
std::string QuoteLiteral(std::string_view text);

}  // namespace dravik::verify
