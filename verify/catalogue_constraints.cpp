// Table constraints: primary and unique keys, foreign keys with their
// rules, checks with their source, and named or unnamed NOT NULL.
#include "db/sql_text.h"
#include "verify/catalogue_index_columns.h"
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"
#include "verify/item_definition.h"

namespace dravik::verify {

void ReadConstraintItems(db::DbConnection& connection, CatalogueItems& items) {
    const IndexColumns indexColumns = ReadIndexColumns(connection);
    ForEachCatalogueRow(
        connection,
        "SELECT rc.RDB$CONSTRAINT_NAME AS NAME, rc.RDB$CONSTRAINT_TYPE AS CTYPE, rc.RDB$RELATION_NAME AS REL, "
        "rc.RDB$INDEX_NAME AS IDX, uq.RDB$RELATION_NAME AS REF_REL, uq.RDB$INDEX_NAME AS REF_IDX, "
        // A NOT NULL constraint keeps its column's name where a check keeps its trigger's.
        "IIF(rc.RDB$CONSTRAINT_TYPE = 'NOT NULL', (SELECT FIRST 1 cc.RDB$TRIGGER_NAME FROM RDB$CHECK_CONSTRAINTS cc "
        "WHERE cc.RDB$CONSTRAINT_NAME = rc.RDB$CONSTRAINT_NAME), NULL) AS NN_COLUMN, "
        "(SELECT FIRST 1 t.RDB$TRIGGER_SOURCE FROM RDB$CHECK_CONSTRAINTS cc JOIN RDB$TRIGGERS t "
        "ON t.RDB$TRIGGER_NAME = cc.RDB$TRIGGER_NAME WHERE cc.RDB$CONSTRAINT_NAME = rc.RDB$CONSTRAINT_NAME "
        "AND rc.RDB$CONSTRAINT_TYPE = 'CHECK' ORDER BY t.RDB$TRIGGER_TYPE) AS CHECK_SOURCE, "
        "ref.RDB$UPDATE_RULE AS \"on update\", ref.RDB$DELETE_RULE AS \"on delete\", "
        "ref.RDB$MATCH_OPTION AS \"match\", rc.RDB$DEFERRABLE AS \"deferrable\", "
        "rc.RDB$INITIALLY_DEFERRED AS \"initially deferred\" "
        "FROM RDB$RELATION_CONSTRAINTS rc "
        "LEFT JOIN RDB$REF_CONSTRAINTS ref ON ref.RDB$CONSTRAINT_NAME = rc.RDB$CONSTRAINT_NAME "
        "LEFT JOIN RDB$RELATION_CONSTRAINTS uq ON uq.RDB$CONSTRAINT_NAME = ref.RDB$CONST_NAME_UQ WHERE " +
            IsUserRelation("rc.RDB$RELATION_NAME"),
        [&](db::DbCursorSet& row) {
            const std::string name = FieldName(row, "NAME");
            const std::string type = FieldName(row, "CTYPE");
            const std::string table = FieldName(row, "REL");
            const std::string index = FieldName(row, "IDX");
            const std::optional<std::string> check = FieldText(row.FieldByName("CHECK_SOURCE"));
            std::string columns = ColumnsOf(indexColumns, index);
            if (type == "NOT NULL") columns = FieldName(row, "NN_COLUMN");
            std::optional<std::string> references;
            if (type == "FOREIGN KEY")
                references = FieldName(row, "REF_REL") + " (" + ColumnsOf(indexColumns, FieldName(row, "REF_IDX")) + ")";

            ItemDefinition definition;
            definition.Add("table", table);
            definition.Add("type", type);
            if (type != "CHECK") definition.Add("columns", columns);
            definition.Add("references", references);
            definition.Add("check", check);
            // The index takes the constraint's name unless the user named it
            // otherwise; a generated one may differ in any copy.
            if (!index.empty() && !db::IsEngineMadeName(index)) definition.Add("index", index);
            definition.AddDescribedFields(row);

            std::string identity = name;
            if (db::IsEngineMadeName(name)) {
                identity = type + " on " + table;
                if (type == "CHECK")
                    identity += ": " + check.value_or("");
                else
                    identity += " (" + columns + ")";
                if (references) identity += " references " + *references;
            }
            items.push_back({"constraint", identity, definition.Text()});
        });
}

}  // namespace dravik::verify
