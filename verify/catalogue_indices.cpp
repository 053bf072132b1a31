// Indices of user tables, with their segments or expression.
#include "db/sql_text.h"
#include "verify/catalogue_index_columns.h"
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"
#include "verify/item_definition.h"

namespace dravik::verify {

void ReadIndexItems(db::DbConnection& connection, CatalogueItems& items) {
    const IndexColumns indexColumns = ReadIndexColumns(connection);
    ForEachCatalogueRow(connection,
               "SELECT i.RDB$INDEX_NAME AS NAME, i.RDB$RELATION_NAME AS REL, rc.RDB$CONSTRAINT_TYPE AS CTYPE, "
               "(SELECT ri.RDB$RELATION_NAME FROM RDB$INDICES ri WHERE ri.RDB$INDEX_NAME = i.RDB$FOREIGN_KEY) "
               "AS REF_REL, COALESCE(i.RDB$UNIQUE_FLAG, 0) AS \"unique\", "
               "COALESCE(i.RDB$INDEX_TYPE, 0) AS \"descending\", COALESCE(i.RDB$INDEX_INACTIVE, 0) AS \"inactive\", "
               "i.RDB$EXPRESSION_SOURCE AS \"expression\", IIF(i.RDB$FOREIGN_KEY IS NULL, 0, 1) AS \"foreign key\", "
               "i.RDB$DESCRIPTION AS \"description\" FROM RDB$INDICES i "
               "LEFT JOIN RDB$RELATION_CONSTRAINTS rc ON rc.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
               "WHERE COALESCE(i.RDB$SYSTEM_FLAG, 0) = 0 AND " +
                   IsUserRelation("i.RDB$RELATION_NAME"),
               [&](db::DbCursorSet& row) {
                   const std::string name = FieldName(row, "NAME");
                   const std::string table = FieldName(row, "REL");
                   const std::string columns = ColumnsOf(indexColumns, name);
                   ItemDefinition definition;
                   definition.Add("table", table);
                   definition.Add("columns", columns);
                   definition.AddDescribedFields(row);
                   // A generated name belongs to a constraint's index: it is
                   // known by its constraint, table and columns instead.
                   std::string identity = name;
                   if (db::IsEngineMadeName(name)) {
                       const std::string constraint = FieldName(row, "CTYPE");
                       identity = (constraint.empty() ? "" : constraint + " ") + "index on " + table + " (" + columns + ")";
                       const std::string referenced = FieldName(row, "REF_REL");
                       if (!referenced.empty()) identity += " references " + referenced;
                   }
                   items.push_back({"index", identity, definition.Text()});
               });
}

}  // namespace dravik::verify
