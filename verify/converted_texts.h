// A database compared with its copy whose texts were converted into another
// character set (db::TextConversion): its rows read with each converted text
// cast into the new set, so that both sides give the same characters as the
// same bytes, and its catalogue items given the declarations the copy was
// asked to make.
#pragma once

#include "db/text_conversion.h"
#include "verify/catalogue_items.h"

#include <string>
#include <vector>

namespace dravik::verify {

// A stored column as the copy declares it.
struct TextColumn {
    std::string quotedName;
    int type = 0;  // RDB$FIELD_TYPE
    int subType = 0;
    int characterLength = 0;
    std::string charset;  // its character set's name; empty for no text
};

// The select term that reads the column as the copy holds it: the quoted
// name itself, or a CAST into the new set (a NONE text first taken as the
// code page its bytes are in).
std::string ConvertedColumnSql(const db::TextConversion& conversion, const TextColumn& column);

// The items with the declarations the conversion makes: a converted text's
// character set, collation and lengths, stored texts' declarations, an
// exception's message as UTF-8; a described character set that converts
// (nothing of it is left to describe) is left out.
void MapConvertedItems(std::vector<CatalogueItem>& items, const db::TextConversion& conversion);

}  // namespace dravik::verify
