// Objects that are a name and a few attributes: packages, generators
// (sequences), exceptions, mappings and roles.
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"
#include "verify/item_definition.h"

#include <set>

namespace dravik::verify {

void ReadNamedObjectItems(db::DbConnection& connection, CatalogueItems& items) {
    ReadNamedItems(connection, items, "package",
                   "SELECT pk.RDB$PACKAGE_NAME AS NAME, pk.RDB$PACKAGE_HEADER_SOURCE AS \"header\", "
                   "pk.RDB$PACKAGE_BODY_SOURCE AS \"body\", pk.RDB$OWNER_NAME AS \"owner\", "
                   "pk.RDB$DESCRIPTION AS \"description\" "
                   "FROM RDB$PACKAGES pk WHERE COALESCE(pk.RDB$SYSTEM_FLAG, 0) = 0");
    // The generators behind identity columns are described with their column.
    // Their names are read first: the catalogue has no index to look them up
    // by generator, and a lookup per generator scans every column.
    std::set<std::string> ofIdentities;
    ForEachCatalogueRow(connection,
                        "SELECT DISTINCT rf.RDB$GENERATOR_NAME AS NAME FROM RDB$RELATION_FIELDS rf "
                        "WHERE rf.RDB$GENERATOR_NAME IS NOT NULL",
                        [&](db::DbCursorSet& row) { ofIdentities.insert(FieldName(row, "NAME")); });
    ForEachCatalogueRow(connection,
               "SELECT g.RDB$GENERATOR_NAME AS NAME, g.RDB$INITIAL_VALUE AS \"initial value\", "
               "g.RDB$GENERATOR_INCREMENT AS \"increment\", g.RDB$OWNER_NAME AS \"owner\", "
               "g.RDB$DESCRIPTION AS \"description\" "
               "FROM RDB$GENERATORS g WHERE COALESCE(g.RDB$SYSTEM_FLAG, 0) = 0",
               [&](db::DbCursorSet& row) {
                   const std::string name = FieldName(row, "NAME");
                   if (ofIdentities.count(name)) return;
                   ItemDefinition definition;
                   definition.AddDescribedFields(row);
                   definition.Add("current value", GeneratorValue(connection, name));
                   items.push_back({"generator", name, definition.Text()});
               });
    ReadNamedItems(connection, items, "exception",
                   "SELECT e.RDB$EXCEPTION_NAME AS NAME, e.RDB$MESSAGE AS \"message\", e.RDB$OWNER_NAME AS \"owner\", "
                   "e.RDB$DESCRIPTION AS \"description\" FROM RDB$EXCEPTIONS e "
                   "WHERE COALESCE(e.RDB$SYSTEM_FLAG, 0) = 0");
    ReadNamedItems(connection, items, "mapping",
                   "SELECT m.RDB$MAP_NAME AS NAME, m.RDB$MAP_USING AS \"using\", m.RDB$MAP_PLUGIN AS \"plugin\", "
                   "m.RDB$MAP_DB AS \"in database\", m.RDB$MAP_FROM_TYPE AS \"from type\", m.RDB$MAP_FROM AS \"from\", "
                   "IIF(m.RDB$MAP_TO_TYPE = 1, 'role', 'user') AS \"to type\", m.RDB$MAP_TO AS \"to\" "
                   "FROM RDB$AUTH_MAPPING m WHERE COALESCE(m.RDB$SYSTEM_FLAG, 0) = 0");
    ReadNamedItems(connection, items, "role",
                   "SELECT r.RDB$ROLE_NAME AS NAME, r.RDB$OWNER_NAME AS \"owner\", r.RDB$DESCRIPTION AS \"description\" "
                   "FROM RDB$ROLES r "
                   "WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0");
}

}  // namespace dravik::verify
