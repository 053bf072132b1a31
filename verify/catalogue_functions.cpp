// Functions: PSQL functions, standalone or packaged, and external (UDF)
// functions, with their arguments.
#include "verify/catalogue_field_types.h"
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"

#include <utility>

namespace dravik::verify {

namespace {

// What an external function's argument row holds itself: column and key.
// The character length is left out: the engine derives it from the length
// and the character set, and fills it only for some client code pages.
constexpr std::pair<const char*, const char*> kExternalArgumentColumns[] = {
    {"UDF_PASSING", "passing"},
    {"UDF_TYPE", "type code"},
    {"UDF_SUB_TYPE", "sub type"},
    {"UDF_LENGTH", "length"},
    {"UDF_SCALE", "scale"},
    {"UDF_PRECISION", "precision"},
    {"UDF_CHARACTER_SET", "character set"},
};

}  // namespace

void ReadFunctionItems(db::DbConnection& connection, CatalogueItems& items) {
    ForEachCatalogueRow(connection,
               "SELECT fn.RDB$PACKAGE_NAME AS PKG, fn.RDB$FUNCTION_NAME AS NAME, "
               "fn.RDB$MODULE_NAME AS \"module\", fn.RDB$ENTRYPOINT AS \"entry point\", "
               "fn.RDB$ENGINE_NAME AS \"engine\", fn.RDB$FUNCTION_SOURCE AS \"source\", "
               "fn.RDB$RETURN_ARGUMENT AS \"return argument\", "
               "COALESCE(fn.RDB$DETERMINISTIC_FLAG, 0) AS \"deterministic\", "
               "COALESCE(fn.RDB$PRIVATE_FLAG, 0) AS \"private\", fn.RDB$LEGACY_FLAG AS \"legacy\", "
               "fn.RDB$OWNER_NAME AS \"owner\", fn.RDB$DESCRIPTION AS \"description\" FROM RDB$FUNCTIONS fn WHERE COALESCE(fn.RDB$SYSTEM_FLAG, 0) = 0",
               [&](db::DbCursorSet& row) {
                   ItemDefinition definition;
                   definition.AddDescribedFields(row);
                   items.push_back({"function", RoutineName(row, "NAME"), definition.Text()});
               });

    // PSQL arguments take their type from a field like parameters do; the
    // arguments of external functions carry it in their own row, with the
    // mechanism (by value, by reference, by descriptor) that passes them.
    // Those columns mean nothing for a PSQL argument (a restore fills them
    // with zeros), so they are read only for arguments without a field.
    const FieldDimensions dimensions = ReadFieldDimensions(connection);
    ForEachCatalogueRow(
        connection,
        "SELECT a.RDB$PACKAGE_NAME AS PKG, a.RDB$FUNCTION_NAME AS FUNC, a.RDB$ARGUMENT_NAME AS NAME, "
        "a.RDB$ARGUMENT_POSITION AS \"position\", a.RDB$ARGUMENT_POSITION AS POS, " +
            ParameterColumns("a", "RDB$ARGUMENT_MECHANISM") +
            ", a.RDB$MECHANISM AS UDF_PASSING, a.RDB$FIELD_TYPE AS UDF_TYPE, "
            "COALESCE(a.RDB$FIELD_SUB_TYPE, 0) AS UDF_SUB_TYPE, "
            "a.RDB$FIELD_LENGTH AS UDF_LENGTH, a.RDB$FIELD_SCALE AS UDF_SCALE, "
            "a.RDB$FIELD_PRECISION AS UDF_PRECISION, a.RDB$CHARACTER_LENGTH AS UDF_CHARACTER_LENGTH, " +
            CharacterSetNameSql("a.RDB$CHARACTER_SET_ID") +
            " AS UDF_CHARACTER_SET FROM RDB$FUNCTION_ARGUMENTS a "
            "LEFT JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = a.RDB$FIELD_SOURCE "
            "WHERE COALESCE(a.RDB$SYSTEM_FLAG, 0) = 0",
        [&](db::DbCursorSet& row) {
            const std::string function = RoutineName(row, "FUNC");
            // The return value of a PSQL function and every argument of an
            // external one have no name: their position names them.
            std::string name = FieldName(row, "NAME");
            if (name.empty()) name = "argument " + row.FieldByName("POS").AsString();
            ItemDefinition definition;
            definition.Add("function", function);
            AddDomainOrType(definition, row, dimensions);
            definition.AddDescribedFields(row);
            if (FieldName(row, "SRC").empty())
                for (const auto& [column, key] : kExternalArgumentColumns)
                    definition.Add(key, FieldText(row.FieldByName(column)));
            items.push_back({"function argument", function + "." + name, definition.Text()});
        });
}

}  // namespace dravik::verify
