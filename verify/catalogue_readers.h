// One reader per kind of catalogue item; each appends its items.
#pragma once

#include "db/db_connection.h"
#include "verify/catalogue_items.h"

#include <vector>

namespace dravik::verify {

using CatalogueItems = std::vector<CatalogueItem>;

// database, character set, collation
void ReadDatabaseItems(db::DbConnection& connection, CatalogueItems& items);
// domain
void ReadDomainItems(db::DbConnection& connection, CatalogueItems& items);
// table, view
void ReadRelationItems(db::DbConnection& connection, CatalogueItems& items);
// column
void ReadColumnItems(db::DbConnection& connection, CatalogueItems& items);
// constraint
void ReadConstraintItems(db::DbConnection& connection, CatalogueItems& items);
// index
void ReadIndexItems(db::DbConnection& connection, CatalogueItems& items);
// trigger
void ReadTriggerItems(db::DbConnection& connection, CatalogueItems& items);
// procedure, procedure parameter
void ReadProcedureItems(db::DbConnection& connection, CatalogueItems& items);
// function, function argument
void ReadFunctionItems(db::DbConnection& connection, CatalogueItems& items);
// package, generator, exception, mapping, role
void ReadNamedObjectItems(db::DbConnection& connection, CatalogueItems& items);
// privilege
void ReadPrivilegeItems(db::DbConnection& connection, CatalogueItems& items);

}  // namespace dravik::verify
