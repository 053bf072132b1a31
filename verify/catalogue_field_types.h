// The data type of a domain, a column on an implicit domain, or a routine
// parameter, from its RDB$FIELDS row: the attributes that decide what the
// type holds, and only those (a precision means nothing for a text, a
// character set nothing for a number), with NULL and 0 taken as one where the
// catalogue uses both for "none".
#pragma once

#include "db/db_connection.h"
#include "db/db_query.h"
#include "verify/item_definition.h"

#include <map>
#include <string>

namespace dravik::verify {

// Select-list text of the type columns of the RDB$FIELDS row under the alias,
// named FT_... for AddFieldType.
std::string FieldTypeColumns(const std::string& alias);

// SQL of a character set's name for a character set id expression.
std::string CharacterSetNameSql(const std::string& charsetId);
// SQL of a collation's name for a collation id and character set id expression.
std::string CollationNameSql(const std::string& collationId, const std::string& charsetId);

// Array bounds of every array field: field name -> "[1:3, 0:5]".
using FieldDimensions = std::map<std::string, std::string>;
FieldDimensions ReadFieldDimensions(db::DbConnection& connection);

// Adds the type of the current row (selected with FieldTypeColumns).
void AddFieldType(ItemDefinition& definition, db::DbCursorSet& row, const FieldDimensions& dimensions);

// Adds "domain: NAME" when the row's field source (column SRC) is a user
// domain, else the type of its implicit domain (selected with FieldTypeColumns).
void AddDomainOrType(ItemDefinition& definition, db::DbCursorSet& row, const FieldDimensions& dimensions);

// Select-list text of what a procedure parameter or function argument row
// (alias) holds besides its type: SRC, and the described "type of",
// "table", "column", "not null", "default", "collation" and "description";
// the field's RDB$FIELDS row must be joined as f.
std::string ParameterColumns(const std::string& alias, const std::string& mechanismColumn);

}  // namespace dravik::verify
