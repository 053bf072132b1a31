#include "verify/table_digests.h"

#include "db/db_error.h"
#include "db/db_query.h"
#include "db/fb_api.h"
#include "db/packed_select.h"
#include "db/sql_text.h"
#include "verify/array_slices.h"
#include "verify/catalogue_rows.h"
#include "verify/converted_texts.h"
#include "verify/read_snapshot.h"

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

namespace dravik::verify {

namespace {

enum : unsigned char { kNullTag = 0, kValueTag = 1 };

// A row's bytes are gathered in one buffer and digested in one pass (the
// digest does not depend on how its input is split into pieces).
void Append(std::string& out, const void* data, size_t size) {
    out.append(static_cast<const char*>(data), size);
}

template <typename T>
void AppendValue(std::string& out, const T& value) {
    Append(out, &value, sizeof value);
}

struct StoredColumn {
    std::string name;
    bool array = false;
    TextColumn text;  // its type and character set, for a converted reading
};

// The stored columns of one table (named) or of every table (empty name), in
// the order of their names, each with its table's name.
void ForEachStoredColumn(db::DbConnection& connection, const std::string& table,
                         const std::function<void(const std::string&, StoredColumn)>& take) {
    ForEachCatalogueRow(connection,
               "SELECT rf.RDB$FIELD_NAME, f.RDB$DIMENSIONS, f.RDB$FIELD_LENGTH, f.RDB$FIELD_TYPE, "
               "f.RDB$FIELD_SUB_TYPE, COALESCE(f.RDB$CHARACTER_LENGTH, f.RDB$FIELD_LENGTH), cs.RDB$CHARACTER_SET_NAME, "
               "rf.RDB$RELATION_NAME "
               "FROM RDB$RELATION_FIELDS rf "
               "JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
               "LEFT JOIN RDB$CHARACTER_SETS cs ON cs.RDB$CHARACTER_SET_ID = f.RDB$CHARACTER_SET_ID "
               "WHERE f.RDB$COMPUTED_BLR IS NULL" +
                   (table.empty() ? std::string() : " AND rf.RDB$RELATION_NAME = " + db::SqlString(table)) +
                   " ORDER BY rf.RDB$RELATION_NAME, rf.RDB$FIELD_NAME",
               [&](db::DbCursorSet& row) {
                   const int type = row.Fields(3).AsInteger();
                   const auto whole = [&](int i) { return row.Fields(i).IsNull() ? 0 : row.Fields(i).AsInteger(); };
                   take(FieldText(row.Fields(7)).value_or(""),
                        {FieldText(row.Fields(0)).value_or(""), !row.Fields(1).IsNull(),
                         {"", type, whole(4), whole(5), FieldText(row.Fields(6)).value_or("")}});
               });
}

// The blob's length in bytes as the engine keeps it, or nothing when the
// engine does not say.
std::optional<std::uint64_t> BlobLength(isc_blob_handle& blob) {
    static const char items[] = {isc_info_blob_total_length};
    char answer[16] = {};
    ISC_STATUS_ARRAY status;
    db::Api().blob_info(status, &blob, sizeof items, items, sizeof answer, answer);
    if (db::Failed(status) || answer[0] != isc_info_blob_total_length) return std::nullopt;
    // The value's size, then the value, both little-endian; read unsigned, as
    // the client's own helper would make a length past 2 GB negative.
    const auto byte = [&](size_t at) { return std::uint64_t{static_cast<unsigned char>(answer[at])}; };
    const size_t size = static_cast<size_t>(byte(1) | byte(2) << 8);
    if (size > 8) return std::nullopt;
    std::uint64_t length = 0;
    for (size_t i = 0; i < size; ++i) length |= byte(3 + i) << (8 * i);
    return length;
}

// Whether the attachment goes through a server (network or local protocol),
// where every blob call is a round trip; the embedded engine gives none.
bool ThroughServer(db::DbConnection& connection) {
    bool server = false;
    ForEachCatalogueRow(connection,
               "SELECT MON$REMOTE_PROTOCOL FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION",
               [&](db::DbCursorSet& row) { server = !row.Fields(0).IsNull(); });
    return server;
}

// Feeds a blob's whole content, segment by segment, into its own digest and
// appends its length and that digest to the row's bytes. Embedded, reading
// stops at the length the engine gives: the call that only answers "end of
// blob" costs the client a thrown and caught exception, per blob (asking the
// length first made the comparison 13% faster). Through a server the length
// would cost a round trip per blob (35% slower), so reading goes on to the end.
void DigestBlob(db::DbCursorSet& rows, ISC_QUAD id, bool askLength, const Digest128& keyed, std::string& segment,
                std::string& out) {
    const db::FbApi& api = db::Api();
    ISC_STATUS_ARRAY status;
    isc_blob_handle blob = 0;
    api.open_blob2(status, rows.Connection().Handle(), rows.Transaction().Handle(), &blob, &id, 0, nullptr);
    db::CheckStatus(status);
    const std::optional<std::uint64_t> expected = askLength ? BlobLength(blob) : std::nullopt;
    Digest128 content = keyed;
    std::uint64_t length = 0;
    while (!expected || length < *expected) {
        unsigned short got = 0;
        const ISC_STATUS rc =
            api.get_segment(status, &blob, &got, static_cast<unsigned short>(segment.size()), segment.data());
        if (rc == isc_segstr_eof) break;
        if (rc != 0 && rc != isc_segment) {
            ISC_STATUS_ARRAY ignored;
            api.close_blob(ignored, &blob);
            db::ThrowStatus(status);
        }
        content.Update(segment.data(), got);
        length += got;
    }
    api.close_blob(status, &blob);
    db::CheckStatus(status);
    AppendValue(out, length);
    AppendValue(out, content.Finish());
}

}  // namespace

class RowDigester {
public:
    // fieldOf gives each column's field in the cursor; empty: the columns'
    // own order.
    RowDigester(db::DbConnection& connection, const std::string& table, const std::vector<StoredColumn>& columns,
                const DigestKey& key, std::vector<int> fieldOf = {})
        : key_(key), keyed_(key), askBlobLengths_(!ThroughServer(connection)), segment_(32768, '\0'),  // a 64 KB piece made blob reads through a server three times slower
          fieldOf_(std::move(fieldOf)) {
        for (const StoredColumn& column : columns) {
            // Without the client's array calls an array can only count as
            // present or NULL; with them (every Firebird 3 client) its
            // elements are digested.
            if (column.array && ArraySliceReader::Available())
                arrays_.push_back(std::make_unique<ArraySliceReader>(connection, table, column.name));
            else
                arrays_.push_back(nullptr);
        }
    }

    // The current row, packed or not.
    Hash128 Row(db::DbCursorSet& rows) {
        bytes_.clear();  // keeps its capacity: no allocation per row once grown
        for (size_t i = 0; i < arrays_.size(); ++i) {
            const int index = fieldOf_.empty() ? static_cast<int>(i) : fieldOf_[i];
            if (const XSQLVAR* inlined = rows.InlineVar(index); inlined && InlineBlob(*inlined, bytes_)) continue;
            Column(rows, index, bytes_);
        }
        return DigestPiece(key_, bytes_.data(), bytes_.size());
    }

private:
    // A blob that came inline: appended as DigestBlob appends it read whole.
    bool InlineBlob(const XSQLVAR& var, std::string& out) const {
        if ((var.sqltype & 1) && var.sqlind && *var.sqlind == -1) return false;
        std::uint16_t length;
        std::memcpy(&length, var.sqldata, sizeof length);
        AppendValue(out, kValueTag);
        AppendValue(out, static_cast<short>(SQL_BLOB));
        Digest128 content = keyed_;
        content.Update(var.sqldata + 2, length);
        AppendValue(out, static_cast<std::uint64_t>(length));
        AppendValue(out, content.Finish());
        return true;
    }

    void Column(db::DbCursorSet& rows, int index, std::string& out) {
        const XSQLVAR& var = rows.FieldVar(index);
        if ((var.sqltype & 1) && var.sqlind && *var.sqlind == -1) {
            AppendValue(out, kNullTag);
            return;
        }
        const short type = static_cast<short>(var.sqltype & ~1);
        AppendValue(out, kValueTag);
        AppendValue(out, type);
        switch (type) {
            case SQL_TEXT:
                AppendValue(out, static_cast<std::uint32_t>(var.sqllen));
                Append(out, var.sqldata, static_cast<size_t>(var.sqllen));
                return;
            case SQL_VARYING: {
                std::uint16_t length;
                std::memcpy(&length, var.sqldata, sizeof length);
                AppendValue(out, static_cast<std::uint32_t>(length));
                Append(out, var.sqldata + 2, length);
                return;
            }
            case SQL_BLOB: return DigestBlob(rows, Quad(var), askBlobLengths_, keyed_, segment_, out);
            case SQL_ARRAY: {
                ArraySliceReader* reader = arrays_.at(static_cast<size_t>(index)).get();
                if (!reader) return;
                const std::string& bytes = reader->Read(Quad(var));
                AppendValue(out, static_cast<std::uint64_t>(bytes.size()));
                Append(out, bytes.data(), bytes.size());
                return;
            }
            default:
                // Fixed-size values as the server stores them: integers with
                // their scale, float bit patterns, date and time encodings,
                // booleans. A double's scale (a dialect 1 NUMERIC) only says
                // how to show it, and its migration to dialect 3 drops it.
                const ISC_SHORT scale = (var.sqltype & ~1) == SQL_DOUBLE ? ISC_SHORT{0} : var.sqlscale;
                AppendValue(out, scale);
                Append(out, var.sqldata, static_cast<size_t>(var.sqllen));
                return;
        }
    }

    static ISC_QUAD Quad(const XSQLVAR& var) {
        ISC_QUAD id;
        std::memcpy(&id, var.sqldata, sizeof id);
        return id;
    }

    const DigestKey& key_;
    Digest128 keyed_;  // the keyed start of a blob's digest, copied for each blob
    bool askBlobLengths_;
    std::string segment_;
    std::string bytes_;  // the current row's
    std::vector<std::unique_ptr<ArraySliceReader>> arrays_;  // by column; only in the columns' own order
    std::vector<int> fieldOf_;
};

namespace {

// The table's digest from its rows' digests: the column names, the count and
// the rows' sum.
TableDigest Finished(const std::vector<StoredColumn>& columns, const DigestKey& key, std::int64_t rows,
                     const Hash128& sum) {
    Digest128 header(key);
    for (const StoredColumn& column : columns) {
        header.UpdateValue(static_cast<std::uint32_t>(column.name.size()));
        header.Update(column.name.data(), column.name.size());
    }
    header.UpdateValue(rows);
    header.UpdateValue(sum);
    return {rows, header.Finish()};
}

}  // namespace

struct StoredColumnsOfTables::Tables {
    std::map<std::string, std::vector<StoredColumn>> columns;
};

StoredColumnsOfTables::StoredColumnsOfTables(db::DbConnection& connection) : tables_(std::make_unique<Tables>()) {
    ReadSnapshot snapshot(connection);
    ForEachStoredColumn(connection, "", [this](const std::string& table, StoredColumn column) {
        tables_->columns[table].push_back(std::move(column));
    });
}

StoredColumnsOfTables::~StoredColumnsOfTables() = default;

struct StoredColumnsAccess {
    static const StoredColumnsOfTables::Tables& Tables(const StoredColumnsOfTables& known) { return *known.tables_; }
};

namespace {

std::vector<StoredColumn> ReadStoredColumns(db::DbConnection& connection, const std::string& table,
                                            const StoredColumnsOfTables* known) {
    if (known) {
        const auto& tables = StoredColumnsAccess::Tables(*known).columns;
        const auto found = tables.find(table);
        return found == tables.end() ? std::vector<StoredColumn>{} : found->second;
    }
    std::vector<StoredColumn> columns;
    ForEachStoredColumn(connection, table,
                        [&columns](const std::string&, StoredColumn column) { columns.push_back(std::move(column)); });
    return columns;
}

}  // namespace

TableDigest DigestTable(db::DbConnection& connection, const std::string& exactTableName, const DigestKey& key,
                        int rowsPerFetch, const db::TextConversion& conversion, const std::atomic<bool>* stop,
                        const StoredColumnsOfTables* known) {
    ReadSnapshot snapshot(connection);
    const std::vector<StoredColumn> columns = ReadStoredColumns(connection, exactTableName, known);
    if (columns.empty()) throw std::invalid_argument("No stored columns in table " + exactTableName);
    const int dialect = connection.SQLDialect();

    std::string select;
    bool converted = false;  // a converted text is read by an expression: no packed block
    for (StoredColumn column : columns) {
        column.text.quotedName = db::QuoteIdentifier(column.name, dialect);
        const std::string term = ConvertedColumnSql(conversion, column.text);
        converted = converted || term != column.text.quotedName;
        select += (select.empty() ? "SELECT " : ", ") + term;
    }
    const std::string quotedTable = db::QuoteIdentifier(exactTableName, dialect);
    RowDigester digester(connection, exactTableName, columns, key);
    std::int64_t count = 0;
    Hash128 sum;
    db::DbQuery rows(connection, select + " FROM " + quotedTable);
    rows.Open();
    if (!converted) rows.ReadPacked(quotedTable, rowsPerFetch == 0 ? db::kLeastPackedRows : 0, rowsPerFetch);
    for (; !rows.Eof(); rows.Next()) {
        if (stop && *stop) throw ComparisonStopped();
        sum += digester.Row(rows);
        ++count;
    }
    return Finished(columns, key, count, sum);
}

std::optional<TableDigest> DigestOfNoRows(const StoredColumnsOfTables& known, const std::string& exactTableName,
                                          const DigestKey& key) {
    const auto& tables = StoredColumnsAccess::Tables(known).columns;
    const auto found = tables.find(exactTableName);
    if (found == tables.end()) return std::nullopt;
    return Finished(found->second, key, 0, Hash128{});
}

struct StreamedTableDigest::Columns {
    std::vector<StoredColumn> stored;
};

std::unique_ptr<StreamedTableDigest> StreamedTableDigest::For(db::DbConnection& connection,
                                                              const std::string& exactTableName,
                                                              db::DbCursorSet& cursor, const DigestKey& key,
                                                              const StoredColumnsOfTables* known) {
    auto columns = std::make_unique<Columns>();
    columns->stored = ReadStoredColumns(connection, exactTableName, known);
    if (columns->stored.empty() || static_cast<int>(columns->stored.size()) != cursor.FieldCount()) return nullptr;
    std::vector<int> fieldOf;
    for (const StoredColumn& column : columns->stored) {
        if (column.array) return nullptr;
        const db::DbField* field = cursor.FindField(column.name);
        if (!field || field->FieldName() != column.name) return nullptr;
        for (int i = 0; i < cursor.FieldCount(); ++i)
            if (&cursor.Fields(i) == field) fieldOf.push_back(i);
    }
    return std::unique_ptr<StreamedTableDigest>(
        new StreamedTableDigest(connection, exactTableName, std::move(columns), key, std::move(fieldOf)));
}

StreamedTableDigest::StreamedTableDigest(db::DbConnection& connection, const std::string& exactTableName,
                                         std::unique_ptr<Columns> columns, const DigestKey& key,
                                         std::vector<int> fieldOf)
    : key_(key), columns_(std::move(columns)) {
    digester_ = std::make_unique<RowDigester>(connection, exactTableName, columns_->stored, key_, std::move(fieldOf));
}

StreamedTableDigest::~StreamedTableDigest() = default;

void StreamedTableDigest::Row(db::DbCursorSet& cursor) {
    sum_ += digester_->Row(cursor);
    ++rows_;
}

TableDigest StreamedTableDigest::Finish() const { return Finished(columns_->stored, key_, rows_, sum_); }

std::vector<std::string> ReadStoredTables(db::DbConnection& connection) {
    ReadSnapshot snapshot(connection);
    std::vector<std::string> tables;
    ForEachCatalogueRow(connection,
               "SELECT r.RDB$RELATION_NAME FROM RDB$RELATIONS r WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0 "
               "AND r.RDB$VIEW_BLR IS NULL AND r.RDB$EXTERNAL_FILE IS NULL "
               "AND COALESCE(r.RDB$RELATION_TYPE, 0) = 0 ORDER BY r.RDB$RELATION_NAME",
               [&](db::DbCursorSet& row) { tables.push_back(FieldText(row.Fields(0)).value_or("")); });
    return tables;
}

}  // namespace dravik::verify
