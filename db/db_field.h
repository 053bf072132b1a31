// One column of the current row of a query or table.
#pragma once

#include "db/db_value.h"

#include <ibase.h>

#include <memory>
#include <string>

namespace dravik::db {

class DbConnection;
class DbTransaction;
class DbCursorSet;

class DbField {
public:
    DbField(DbCursorSet& owner, int index, std::string name) : owner_(&owner), index_(index), name_(std::move(name)) {}

    const std::string& FieldName() const { return name_; }
    int Index() const { return index_; }

    bool IsNull() const;
    // The value as text: NULL gives "", CHAR keeps its trailing blanks, blobs
    // give their whole content, numbers plain decimal.
    std::string AsString() const;
    // The value as a signed 32-bit integer; NULL gives 0.
    int AsInteger() const;
    int64_t AsInt64() const;
    // The value with its type, for copying into a pending row.
    DbValue AsVariant() const;
    // Reads into an existing value, reusing its text storage.
    void ReadInto(DbValue& value) const;

    // Sets this column of the pending row of a table (see DbTable::Insert).
    void SetValue(const DbValue& value);
    // The same without a copy: the pending row takes the value and hands
    // back what it held, whose storage the caller may reuse for the next row.
    void SwapValue(DbValue& value);

    // What the server described for the column.
    int SqlType() const;
    int Scale() const;
    int SubType() const;
    int Length() const;

    // Column facts a table learns from the catalogue.
    bool computed = false;
    bool hasDefault = false;
    bool domainNotNull = false;

private:
    const XSQLVAR& Var() const;
    // The blob's bytes when they came inline with the row.
    bool ReadInline(DbValue& out) const;
    void ReadArray(const XSQLVAR& var, DbValue& out) const;

    DbCursorSet* owner_;
    int index_;
    std::string name_;
    // An array column's element type and bounds, looked up at its first value.
    mutable std::shared_ptr<const ISC_ARRAY_DESC> array_;
};

// Whole-blob access through the blob calls of the client library.
std::string ReadBlob(DbConnection& connection, DbTransaction& transaction, ISC_QUAD id);
ISC_QUAD WriteBlob(DbConnection& connection, DbTransaction& transaction, const std::string& bytes);

}  // namespace dravik::db
