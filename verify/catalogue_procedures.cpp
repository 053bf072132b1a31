// Stored procedures, standalone or packaged, and their parameters.
#include "verify/catalogue_field_types.h"
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"

namespace dravik::verify {

void ReadProcedureItems(db::DbConnection& connection, CatalogueItems& items) {
    ForEachCatalogueRow(connection,
               "SELECT p.RDB$PACKAGE_NAME AS PKG, p.RDB$PROCEDURE_NAME AS NAME, "
               "p.RDB$PROCEDURE_TYPE AS \"type\", p.RDB$PROCEDURE_SOURCE AS \"source\", "
               "p.RDB$ENGINE_NAME AS \"engine\", p.RDB$ENTRYPOINT AS \"entry point\", "
               "COALESCE(p.RDB$PRIVATE_FLAG, 0) AS \"private\", p.RDB$OWNER_NAME AS \"owner\", "
               "p.RDB$DESCRIPTION AS \"description\" "
               "FROM RDB$PROCEDURES p WHERE COALESCE(p.RDB$SYSTEM_FLAG, 0) = 0",
               [&](db::DbCursorSet& row) {
                   ItemDefinition definition;
                   definition.AddDescribedFields(row);
                   items.push_back({"procedure", RoutineName(row, "NAME"), definition.Text()});
               });

    const FieldDimensions dimensions = ReadFieldDimensions(connection);
    ForEachCatalogueRow(connection,
               "SELECT pp.RDB$PACKAGE_NAME AS PKG, pp.RDB$PROCEDURE_NAME AS PROC, pp.RDB$PARAMETER_NAME AS NAME, "
               "pp.RDB$PARAMETER_NUMBER AS \"number\", IIF(pp.RDB$PARAMETER_TYPE = 0, 'input', 'output') "
               "AS \"direction\", " +
                   ParameterColumns("pp", "RDB$PARAMETER_MECHANISM") +
                   " FROM RDB$PROCEDURE_PARAMETERS pp LEFT JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = pp.RDB$FIELD_SOURCE "
                   "WHERE COALESCE(pp.RDB$SYSTEM_FLAG, 0) = 0",
               [&](db::DbCursorSet& row) {
                   const std::string procedure = RoutineName(row, "PROC");
                   ItemDefinition definition;
                   definition.Add("procedure", procedure);
                   AddDomainOrType(definition, row, dimensions);
                   definition.AddDescribedFields(row);
                   items.push_back({"procedure parameter", procedure + "." + FieldName(row, "NAME"), definition.Text()});
               });
}

}  // namespace dravik::verify
