#include "verify/table_digests.h"

#include "db/db_error.h"
#include "db/db_query.h"
#include "db/fb_api.h"
#include "verify/array_slices.h"
#include "verify/catalogue_rows.h"
#include "verify/identifiers.h"
#include "verify/read_snapshot.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace dravik::verify {

namespace {

enum : unsigned char { kNullTag = 0, kValueTag = 1 };

struct StoredColumn {
    std::string name;
    bool array = false;
};

std::vector<StoredColumn> ReadStoredColumns(db::DbConnection& connection, const std::string& table) {
    std::vector<StoredColumn> columns;
    ForEachRow(connection,
               "SELECT rf.RDB$FIELD_NAME, f.RDB$DIMENSIONS FROM RDB$RELATION_FIELDS rf "
               "JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE WHERE rf.RDB$RELATION_NAME = " +
                   QuoteLiteral(table) + " AND f.RDB$COMPUTED_BLR IS NULL ORDER BY rf.RDB$FIELD_NAME",
               [&](db::DbQuery& row) {
                   columns.push_back({FieldText(row.Fields(0)).value_or(""), !row.Fields(1).IsNull()});
               });
    return columns;
}

// Feeds a blob's whole content, segment by segment, into its own digest.
void DigestBlob(db::DbCursorSet& rows, ISC_QUAD id, std::string& segment, Digest128& out) {
    const db::FbApi& api = db::Api();
    ISC_STATUS_ARRAY status;
    isc_blob_handle blob = 0;
    api.open_blob2(status, rows.Connection().Handle(), rows.Transaction().Handle(), &blob, &id, 0, nullptr);
    db::CheckStatus(status);
    Digest128 content;
    std::uint64_t length = 0;
    for (;;) {
        unsigned short got = 0;
        const ISC_STATUS rc =
            api.get_segment(status, &blob, &got, static_cast<unsigned short>(segment.size()), segment.data());
        if (rc == isc_segstr_eof) break;
        if (rc != 0 && rc != isc_segment) {
            ISC_STATUS_ARRAY ignored;
            api.close_blob(ignored, &blob);
            throw db::DbServerError::FromStatus(status);
        }
        content.Update(segment.data(), got);
        length += got;
    }
    api.close_blob(status, &blob);
    db::CheckStatus(status);
    out.UpdateValue(length);
    out.UpdateValue(content.Finish());
}

class RowDigester {
public:
    RowDigester(db::DbConnection& connection, const std::string& table, const std::vector<StoredColumn>& columns)
        : segment_(32768, '\0') {
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

    Hash128 Row(db::DbCursorSet& rows) {
        Digest128 digest;
        for (int i = 0; i < rows.FieldCount(); ++i) Column(rows, i, digest);
        return digest.Finish();
    }

private:
    void Column(db::DbCursorSet& rows, int index, Digest128& digest) {
        const XSQLVAR& var = rows.OutputVar(index);
        if ((var.sqltype & 1) && var.sqlind && *var.sqlind == -1) {
            digest.UpdateValue(kNullTag);
            return;
        }
        const short type = static_cast<short>(var.sqltype & ~1);
        digest.UpdateValue(kValueTag);
        digest.UpdateValue(type);
        switch (type) {
            case SQL_TEXT:
                digest.UpdateValue(static_cast<std::uint32_t>(var.sqllen));
                digest.Update(var.sqldata, static_cast<size_t>(var.sqllen));
                return;
            case SQL_VARYING: {
                std::uint16_t length;
                std::memcpy(&length, var.sqldata, sizeof length);
                digest.UpdateValue(static_cast<std::uint32_t>(length));
                digest.Update(var.sqldata + 2, length);
                return;
            }
            case SQL_BLOB: return DigestBlob(rows, Quad(var), segment_, digest);
            case SQL_ARRAY: {
                ArraySliceReader* reader = arrays_.at(static_cast<size_t>(index)).get();
                if (!reader) return;
                const std::string& bytes = reader->Read(Quad(var));
                digest.UpdateValue(static_cast<std::uint64_t>(bytes.size()));
                digest.Update(bytes.data(), bytes.size());
                return;
            }
            default:
                // Fixed-size values as the server stores them: integers with
                // their scale, float bit patterns, date and time encodings, booleans.
                digest.UpdateValue(var.sqlscale);
                digest.Update(var.sqldata, static_cast<size_t>(var.sqllen));
                return;
        }
    }

    static ISC_QUAD Quad(const XSQLVAR& var) {
        ISC_QUAD id;
        std::memcpy(&id, var.sqldata, sizeof id);
        return id;
    }

    std::string segment_;
    std::vector<std::unique_ptr<ArraySliceReader>> arrays_;
};

}  // namespace

TableDigest DigestTable(db::DbConnection& connection, const std::string& exactTableName) {
    ReadSnapshot snapshot(connection);
    const std::vector<StoredColumn> columns = ReadStoredColumns(connection, exactTableName);
    if (columns.empty()) throw std::invalid_argument("No stored columns in table " + exactTableName);

    std::string select;
    Digest128 header;
    for (const StoredColumn& column : columns) {
        select += (select.empty() ? "SELECT " : ", ") + QuoteIdentifier(column.name);
        header.UpdateValue(static_cast<std::uint32_t>(column.name.size()));
        header.Update(column.name.data(), column.name.size());
    }
    select += " FROM " + QuoteIdentifier(exactTableName);

    RowDigester digester(connection, exactTableName, columns);
    TableDigest result;
    Hash128 sum;
    db::DbQuery rows(connection, select);
    rows.Open();
    for (; !rows.Eof(); rows.Next()) {
        const Hash128 row = digester.Row(rows);
        sum.low += row.low;
        sum.high += row.high;
        ++result.rows;
    }
    header.UpdateValue(result.rows);
    header.UpdateValue(sum);
    result.digest = header.Finish();
    return result;
}

std::vector<std::string> ReadStoredTables(db::DbConnection& connection) {
    ReadSnapshot snapshot(connection);
    std::vector<std::string> tables;
    ForEachRow(connection,
               "SELECT r.RDB$RELATION_NAME FROM RDB$RELATIONS r WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0 "
               "AND r.RDB$VIEW_BLR IS NULL AND r.RDB$EXTERNAL_FILE IS NULL "
               "AND COALESCE(r.RDB$RELATION_TYPE, 0) = 0 ORDER BY r.RDB$RELATION_NAME",
               [&](db::DbQuery& row) { tables.push_back(FieldText(row.Fields(0)).value_or("")); });
    return tables;
}

}  // namespace dravik::verify
