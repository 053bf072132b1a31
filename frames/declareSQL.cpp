#include "frames/declareSQL.h"

#include "db/text_conversion.h"

#include <ibase.h>

namespace dravik::frames {

std::int64_t CountRows(DbConnection& connection, const std::string& quotedTable) {
    auto count = NewQuery(connection, "select count(*) from " + quotedTable);
    count->Open();
    const std::int64_t rows = count->Fields(0).AsInt64();
    count->Close();
    return rows;
}

std::unique_ptr<DbQuery> NewQuery(DbConnection& connection, const std::string& sql) {
    return std::make_unique<DbQuery>(connection, sql);
}

std::unique_ptr<DbStatement> NewStatement(DbConnection& connection, const std::string& sql) {
    return std::make_unique<DbStatement>(connection, sql);
}

std::unique_ptr<DbTable> NewTable(DbConnection& connection, const std::string& tableName) {
    return std::make_unique<DbTable>(connection, tableName);
}

namespace {

// Ends an active transaction by rollback on the way out of a failure; the
// failure being reported is the first one, so a failing rollback is ignored.
void RollbackQuietly(db::DbTransaction& transaction) {
    if (!transaction.InTransaction()) return;
    try {
        transaction.Rollback();
    } catch (...) {
    }
}

}  // namespace

void ExecStatement(DbConnection& connection, const std::string& sql) {
    auto statement = NewStatement(connection, sql);
    db::DbTransaction& transaction = connection.DefaultTransaction();
    try {
        transaction.SetActive(true);
        statement->ExecQuery();
        if (transaction.InTransaction() && !transaction.CommitsHeld()) transaction.Commit();
    } catch (...) {
        RollbackQuietly(transaction);
        throw;
    }
}

std::string CharsetName(DbConnection& connection, const std::string& charsetId) {
    if (Trim(charsetId).empty()) return {};
    // Asked for every text column: kept prepared.
    db::KeptQuery query(connection,
                        "select RDB$CHARACTER_SET_NAME FROM RDB$CHARACTER_SETS WHERE RDB$CHARACTER_SET_ID=?",
                        {Trim(charsetId)});
    query->Open();
    if (query->Eof()) return {};
    return Trim(query->Fields(0).AsString());
}

std::string CollationName(DbConnection& connection, const std::string& collationId, const std::string& charsetId) {
    if (Trim(collationId).empty()) return {};
    // A converted text takes the new set's default collation.
    const db::TextConversion& conversion = db::ActiveTextConversion();
    if (conversion.Active() && conversion.Converts(CharsetName(connection, charsetId))) return {};
    db::KeptQuery query(connection,
                        "select RDB$COLLATION_NAME from RDB$COLLATIONS WHERE RDB$COLLATION_ID=? "
                        "and RDB$CHARACTER_SET_ID=?",
                        {Trim(collationId), Trim(charsetId)});
    query->Open();
    if (query->Eof()) return {};
    return Trim(query->Fields(0).AsString());
}

std::string TypeName(int typeCode) {
    switch (typeCode) {
        case blr_short: return "SMALLINT";
        case blr_long: return "INTEGER";
        case blr_quad: return "BIGINT";  // a 64-bit quad: the nearest type DDL accepts
        case blr_float: return "FLOAT";
        case blr_sql_date: return "DATE";
        case blr_sql_time: return "TIME";
        case blr_text: return "CHAR";
        case blr_int64: return "BIGINT";
        case blr_bool: return "BOOLEAN";
        case blr_double: return "DOUBLE PRECISION";
        case blr_timestamp: return "TIMESTAMP";
        case blr_varying: return "VARCHAR";
        case blr_blob_id:
        case blr_blob: return "BLOB";
        default: return {};
    }
}

std::string UniqueConstraintName(DbConnection& connection, const std::string& wanted) {
    // Firebird 3 names hold 31 bytes; a stored name never needs cutting.
    const std::string cut = wanted.size() > 31 ? wanted.substr(0, 31) : wanted;
    std::string candidate = cut;
    auto query = NewQuery(connection, "");
    db::DbTransaction& transaction = connection.DefaultTransaction();
    try {
        for (int counter = 0;; ++counter) {
            query->Close();
            if (counter > 0) candidate = cut + "_" + std::to_string(counter);
            query->SetSQL("select count(*) from RDB$RELATION_CONSTRAINTS where RDB$CONSTRAINT_NAME=" +
                          db::SqlString(candidate));
            query->Open();
            const bool free = query->Fields(0).AsInteger() == 0;
            if (transaction.InTransaction() && !transaction.CommitsHeld()) transaction.Commit();
            if (free) return candidate;
        }
    } catch (...) {
        RollbackQuietly(transaction);
        throw;
    }
}

}  // namespace dravik::frames
