// Domains: the user's RDB$FIELDS rows (the implicit RDB$n domains of columns
// and parameters are described with their column or parameter).
#include "db/sql_text.h"
#include "verify/catalogue_field_types.h"
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"

namespace dravik::verify {

void ReadDomainItems(db::DbConnection& connection, CatalogueItems& items) {
    const FieldDimensions dimensions = ReadFieldDimensions(connection);
    ForEachCatalogueRow(connection,
               "SELECT " + FieldTypeColumns("f") + ", " +
                   CollationNameSql("f.RDB$COLLATION_ID", "f.RDB$CHARACTER_SET_ID") +
                   " AS \"collation\", COALESCE(f.RDB$NULL_FLAG, 0) AS \"not null\", "
                   "f.RDB$DEFAULT_SOURCE AS \"default\", f.RDB$VALIDATION_SOURCE AS \"check\", "
                   "f.RDB$COMPUTED_SOURCE AS \"computed\", f.RDB$OWNER_NAME AS \"owner\", "
                   "f.RDB$DESCRIPTION AS \"description\" "
                   "FROM RDB$FIELDS f WHERE COALESCE(f.RDB$SYSTEM_FLAG, 0) = 0",
               [&](db::DbCursorSet& row) {
                   const std::string name = FieldName(row, "FT_NAME");
                   if (db::IsEngineMadeName(name)) return;
                   ItemDefinition definition;
                   AddFieldType(definition, row, dimensions);
                   definition.AddDescribedFields(row);
                   items.push_back({"domain", name, definition.Text()});
               });
}

}  // namespace dravik::verify
