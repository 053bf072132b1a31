// Reading catalogue queries row by row, and column values as the catalogue
// stores them.
#pragma once

#include "db/db_connection.h"
#include "db/db_query.h"
#include "verify/catalogue_items.h"

#include <functional>
#include <optional>
#include <string>

namespace dravik::verify {

// db::ForEachRow with the attribute aliases written for the connection's dialect.
void ForEachCatalogueRow(db::DbConnection& connection, const std::string& sql,
                         const std::function<void(db::DbCursorSet&)>& row);

// The value as stored, absent for NULL. Only CHAR columns (the catalogue's
// names and flags) lose their trailing blanks; sources, descriptions and
// every other text are kept exactly.
std::optional<std::string> FieldText(db::DbField& field);

// The same, NULL giving the empty text: for names.
std::string FieldName(db::DbCursorSet& row, const std::string& column);

// SQL condition: the relation named by the column is a user relation.
std::string IsUserRelation(const std::string& relationColumn);

// Appends one item of the kind per row: the identity from the column NAME,
// the definition from the described columns (see ItemDefinition).
void ReadNamedItems(db::DbConnection& connection, std::vector<CatalogueItem>& items, const std::string& kind,
                    const std::string& sql);

// "NAME", or "PACKAGE.NAME" for a routine in a package (column PKG).
std::string RoutineName(db::DbCursorSet& row, const std::string& nameColumn);

// The current value of a generator, as GEN_ID(name, 0) gives it.
std::string GeneratorValue(db::DbConnection& connection, const std::string& generator);

}  // namespace dravik::verify
