// Tables, views and their columns.
#include "verify/catalogue_field_types.h"
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"

namespace dravik::verify {

namespace {

std::string RelationType(int type) {
    switch (type) {
        case 0: return "table";
        case 1: return "view";
        case 2: return "external table";
        case 3: return "virtual table";
        case 4: return "global temporary table on commit preserve rows";
        case 5: return "global temporary table on commit delete rows";
        default: return "relation type " + std::to_string(type);
    }
}

}  // namespace

void ReadRelationItems(db::DbConnection& connection, CatalogueItems& items) {
    // Databases made before relation types existed leave the type NULL.
    ForEachCatalogueRow(connection,
               "SELECT r.RDB$RELATION_NAME AS NAME, COALESCE(r.RDB$RELATION_TYPE, IIF(r.RDB$VIEW_BLR IS NOT NULL, 1, "
               "IIF(r.RDB$EXTERNAL_FILE IS NOT NULL, 2, 0))) AS RTYPE, r.RDB$VIEW_SOURCE AS \"view source\", "
               "r.RDB$EXTERNAL_FILE AS \"external file\", r.RDB$OWNER_NAME AS \"owner\", "
               "r.RDB$DESCRIPTION AS \"description\" "
               "FROM RDB$RELATIONS r WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0",
               [&](db::DbCursorSet& row) {
                   const int type = row.FieldByName("RTYPE").AsInteger();
                   ItemDefinition definition;
                   definition.Add("type", RelationType(type));
                   definition.AddDescribedFields(row);
                   items.push_back({type == 1 ? "view" : "table", FieldName(row, "NAME"), definition.Text()});
               });
}

void ReadColumnItems(db::DbConnection& connection, CatalogueItems& items) {
    const FieldDimensions dimensions = ReadFieldDimensions(connection);
    std::string relation;
    int position = 0;
    ForEachCatalogueRow(
        connection,
        "SELECT rf.RDB$RELATION_NAME AS REL, rf.RDB$FIELD_NAME AS NAME, rf.RDB$FIELD_SOURCE AS SRC, "
        "rf.RDB$GENERATOR_NAME AS GEN, " +
            FieldTypeColumns("f") +
            ", COALESCE(rf.RDB$NULL_FLAG, 0) AS \"not null\", rf.RDB$DEFAULT_SOURCE AS \"default\", " +
            CollationNameSql("COALESCE(rf.RDB$COLLATION_ID, f.RDB$COLLATION_ID)", "f.RDB$CHARACTER_SET_ID") +
            " AS \"collation\", f.RDB$COMPUTED_SOURCE AS \"computed\", rf.RDB$BASE_FIELD AS \"base column\", "
            "rf.RDB$IDENTITY_TYPE AS \"identity\", g.RDB$INITIAL_VALUE AS \"identity start\", "
            "g.RDB$GENERATOR_INCREMENT AS \"identity increment\", rf.RDB$DESCRIPTION AS \"description\" "
            "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
            "LEFT JOIN RDB$GENERATORS g ON g.RDB$GENERATOR_NAME = rf.RDB$GENERATOR_NAME WHERE " +
            IsUserRelation("rf.RDB$RELATION_NAME") +
            " ORDER BY rf.RDB$RELATION_NAME, rf.RDB$FIELD_POSITION, rf.RDB$FIELD_NAME",
        [&](db::DbCursorSet& row) {
            const std::string table = FieldName(row, "REL");
            // The position is the column's rank in its table: the stored numbers
            // may keep gaps left by dropped columns that a copy closes.
            position = table == relation ? position + 1 : 0;
            relation = table;
            ItemDefinition definition;
            definition.Add("table", table);
            definition.Add("position", std::to_string(position));
            AddDomainOrType(definition, row, dimensions);
            definition.AddDescribedFields(row);
            const std::string generator = FieldName(row, "GEN");
            if (!generator.empty()) definition.Add("identity value", GeneratorValue(connection, generator));
            items.push_back({"column", table + "." + FieldName(row, "NAME"), definition.Text()});
        });
}

}  // namespace dravik::verify
