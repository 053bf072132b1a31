// One row of a catalogue select kept after its cursor has moved on: the
// values by column name, as the cursor's fields gave them. Lets code that
// reads many columns by name work from rows read in bulk.
#pragma once

#include "db/db_cursor_set.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dravik::schema {

// One value as DbField::AsString gives it (blobs whole, CHAR with its blanks).
class CatalogueValue {
public:
    CatalogueValue() = default;  // NULL
    explicit CatalogueValue(std::string text) : null_(false), text_(std::move(text)) {}

    bool IsNull() const { return null_; }
    const std::string& AsString() const { return text_; }
    // The value as an integer; NULL (or a text that is no number) gives 0.
    int AsInteger() const;
    std::int64_t AsInt64() const;

private:
    bool null_ = true;
    std::string text_;
};

class CatalogueRow {
public:
    CatalogueRow() = default;
    // The cursor's current row, every field read now.
    explicit CatalogueRow(db::DbCursorSet& cursor);

    // The first column of that name, without regard to case; null when the
    // row has none.
    const CatalogueValue* FindField(const std::string& name) const;
    // The same; a column the row lacks is an error.
    const CatalogueValue& FieldByName(const std::string& name) const;
    // The value of that column with trailing blanks cut ("" for NULL or absent).
    std::string Name(const std::string& column) const;

private:
    std::shared_ptr<const std::vector<std::string>> names_;
    std::vector<CatalogueValue> values_;
    friend std::vector<CatalogueRow> ReadCatalogueRows(db::DbConnection&, const std::string&);
};

// Every row of a select, in its order, read through the connection's default
// transaction.
std::vector<CatalogueRow> ReadCatalogueRows(db::DbConnection& connection, const std::string& sql);

}  // namespace dravik::schema
