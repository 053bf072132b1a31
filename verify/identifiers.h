// Names as the catalogue stores them: quoting for generated SQL and literals.
#pragma once

#include <string>
#include <string_view>

namespace dravik::verify {

// "NAME" with every inner " doubled, exactly as stored (case and blanks kept).
std::string QuoteIdentifier(std::string_view name);

// 'text' with every inner ' doubled.
std::string QuoteLiteral(std::string_view text);

}  // namespace dravik::verify
