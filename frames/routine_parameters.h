// The declaration of a routine parameter as the source stores it: its type,
// domain, TYPE OF domain or TYPE OF COLUMN, NOT NULL, collation and default.
#pragma once

#include "db/db_connection.h"
#include "schema/catalogue_row.h"

#include <string>

namespace dravik::frames {

// The columns of a parameter row joined with its RDB$FIELDS row and the
// field's collation as DOMAIN_COLLATION_ID (see
// SourceCatalogue::ProcedureParameters).
std::string ParameterDeclaration(db::DbConnection& source, const schema::CatalogueRow& row);

// Appends one item to a parameter list: a tab before the first, a comma, a
// line break and a tab before each later one.
void AppendParameter(std::string& list, const std::string& item);

}  // namespace dravik::frames
