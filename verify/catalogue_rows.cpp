#include "verify/catalogue_rows.h"

#include "db/sql_text.h"
#include "verify/item_definition.h"

#include <cctype>

namespace dravik::verify {

namespace {

// The query for the connection's dialect. Dialect 1 reads a double-quoted
// text as a string, so there each attribute alias ("not null") becomes a
// bare name that AddDescribedFields reads back (ATTR$NOT_NULL). The queries
// quote nothing else.
std::string ForDialect(const std::string& sql, int dialect) {
    if (dialect >= 2) return sql;
    std::string text;
    bool inLiteral = false, inAlias = false;
    for (char c : sql) {
        if (c == '\'' && !inAlias) inLiteral = !inLiteral;
        if (c == '"' && !inLiteral) {
            inAlias = !inAlias;
            if (inAlias) text += kBareAttributePrefix;
        } else if (inAlias) {
            text += c == ' ' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

void ForEachCatalogueRow(db::DbConnection& connection, const std::string& sql,
                         const std::function<void(db::DbCursorSet&)>& row) {
    db::ForEachRow(connection, ForDialect(sql, connection.SQLDialect()), row);
}

std::optional<std::string> FieldText(db::DbField& field) {
    if (field.IsNull()) return std::nullopt;
    std::string text = field.AsString();
    if (field.SqlType() == SQL_TEXT)
        while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string FieldName(db::DbCursorSet& row, const std::string& column) {
    return FieldText(row.FieldByName(column)).value_or(std::string());
}

std::string RoutineName(db::DbCursorSet& row, const std::string& nameColumn) {
    const std::string package = FieldName(row, "PKG");
    return (package.empty() ? "" : package + ".") + FieldName(row, nameColumn);
}

std::string IsUserRelation(const std::string& relationColumn) {
    return "EXISTS (SELECT 1 FROM RDB$RELATIONS ur WHERE ur.RDB$RELATION_NAME = " + relationColumn +
           " AND COALESCE(ur.RDB$SYSTEM_FLAG, 0) = 0)";
}

void ReadNamedItems(db::DbConnection& connection, std::vector<CatalogueItem>& items, const std::string& kind,
                    const std::string& sql) {
    ForEachCatalogueRow(connection, sql, [&](db::DbCursorSet& row) {
        ItemDefinition definition;
        definition.AddDescribedFields(row);
        items.push_back({kind, FieldName(row, "NAME"), definition.Text()});
    });
}

std::string GeneratorValue(db::DbConnection& connection, const std::string& generator) {
    std::string value;
    const std::string quoted = db::QuoteIdentifier(generator, connection.SQLDialect());
    ForEachCatalogueRow(connection, "SELECT GEN_ID(" + quoted + ", 0) FROM RDB$DATABASE",
               [&](db::DbCursorSet& row) { value = row.Fields(0).AsString(); });
    return value;
}

}  // namespace dravik::verify
