#include "verify/catalogue_index_columns.h"

#include "verify/catalogue_rows.h"

namespace dravik::verify {

IndexColumns ReadIndexColumns(db::DbConnection& connection) {
    IndexColumns columns;
    ForEachCatalogueRow(connection,
               "SELECT s.RDB$INDEX_NAME, s.RDB$FIELD_NAME FROM RDB$INDEX_SEGMENTS s "
               "ORDER BY s.RDB$INDEX_NAME, s.RDB$FIELD_POSITION",
               [&](db::DbCursorSet& row) {
                   std::string& list = columns[FieldText(row.Fields(0)).value_or("")];
                   if (!list.empty()) list += ", ";
                   list += FieldText(row.Fields(1)).value_or("");
               });
    return columns;
}

std::string ColumnsOf(const IndexColumns& columns, const std::string& index) {
    const auto found = columns.find(index);
    return found == columns.end() ? std::string() : found->second;
}

}  // namespace dravik::verify
