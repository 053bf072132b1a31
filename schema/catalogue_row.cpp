#include "schema/catalogue_row.h"

#include "db/db_query.h"
#include "db/sql_text.h"

#include <cstdlib>
#include <stdexcept>
#include <strings.h>

namespace dravik::schema {

namespace {

std::vector<CatalogueValue> ValuesOf(db::DbCursorSet& cursor) {
    std::vector<CatalogueValue> values;
    values.reserve(static_cast<size_t>(cursor.FieldCount()));
    for (int i = 0; i < cursor.FieldCount(); ++i) {
        db::DbField& field = cursor.Fields(i);
        values.push_back(field.IsNull() ? CatalogueValue() : CatalogueValue(field.AsString()));
    }
    return values;
}

std::shared_ptr<const std::vector<std::string>> NamesOf(db::DbCursorSet& cursor) {
    auto names = std::make_shared<std::vector<std::string>>();
    for (int i = 0; i < cursor.FieldCount(); ++i) names->push_back(cursor.Fields(i).FieldName());
    return names;
}

}  // namespace

int CatalogueValue::AsInteger() const { return static_cast<int>(AsInt64()); }

std::int64_t CatalogueValue::AsInt64() const { return null_ ? 0 : std::strtoll(text_.c_str(), nullptr, 10); }

CatalogueRow::CatalogueRow(db::DbCursorSet& cursor) : names_(NamesOf(cursor)), values_(ValuesOf(cursor)) {}

const CatalogueValue* CatalogueRow::FindField(const std::string& name) const {
    if (!names_) return nullptr;
    for (size_t i = 0; i < names_->size(); ++i)
        if (strcasecmp((*names_)[i].c_str(), name.c_str()) == 0) return &values_[i];
    return nullptr;
}

const CatalogueValue& CatalogueRow::FieldByName(const std::string& name) const {
    const CatalogueValue* value = FindField(name);
    if (!value) throw std::runtime_error("the catalogue row has no column " + name);
    return *value;
}

std::string CatalogueRow::Name(const std::string& column) const {
    const CatalogueValue* value = FindField(column);
    return value ? db::TrimRight(value->AsString()) : std::string();
}

std::vector<CatalogueRow> ReadCatalogueRows(db::DbConnection& connection, const std::string& sql) {
    std::vector<CatalogueRow> rows;
    std::shared_ptr<const std::vector<std::string>> names;
    db::ForEachRow(connection, sql, [&](db::DbCursorSet& cursor) {
        if (!names) names = NamesOf(cursor);
        CatalogueRow& row = rows.emplace_back();
        row.names_ = names;
        row.values_ = ValuesOf(cursor);
    });
    return rows;
}

}  // namespace dravik::schema
