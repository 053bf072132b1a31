#include "frames/declareSQL.h"

#include <algorithm>
#include <cctype>

namespace dravik::frames {

std::string Trim(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string QuoteLiteral(const std::string& text) {
    if (Trim(text).empty()) return "NULL";
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

std::unique_ptr<DbQuery> NewQuery(DbConnection& connection, const std::string& sql) {
    auto query = std::make_unique<DbQuery>(connection, sql);
    query->ParamCheck = false;
    return query;
}

std::unique_ptr<DbStatement> NewStatement(DbConnection& connection, const std::string& sql) {
    auto statement = std::make_unique<DbStatement>(connection, sql);
    statement->ParamCheck = false;
    return statement;
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
        if (transaction.InTransaction()) transaction.Commit();
    } catch (...) {
        RollbackQuietly(transaction);
        throw;
    }
}

std::string CharsetName(DbConnection& connection, const std::string& charsetId) {
    if (Trim(charsetId).empty()) return {};
    auto query =
        NewQuery(connection, "select RDB$CHARACTER_SET_NAME FROM RDB$CHARACTER_SETS WHERE RDB$CHARACTER_SET_ID=" +
                                 charsetId);
    query->Open();
    query->FetchAll();
    if (query->RecordCount() > 0) return " " + Trim(query->FieldByName("RDB$CHARACTER_SET_NAME").AsString());
    return {};
}

std::string CollationName(DbConnection& connection, const std::string& collationId, const std::string& charsetId) {
    if (Trim(collationId).empty()) return {};
    auto query = NewQuery(connection, "select * from RDB$COLLATIONS WHERE RDB$COLLATION_ID=" + collationId +
                                          " and RDB$CHARACTER_SET_ID=" + charsetId);
    query->Open();
    query->FetchAll();
    if (query->RecordCount() > 0) return Trim(query->FieldByName("RDB$COLLATION_NAME").AsString());
    return {};
}

std::string TypeName(int typeCode) {
    switch (typeCode) {
        case 7: return "SMALLINT";
        case 8: return "INTEGER";
        case 9: return "BIGINT";  // a 64-bit quad: the nearest type DDL accepts
        case 10: return "FLOAT";
        case 12: return "DATE";
        case 13: return "TIME";
        case 14: return "CHAR";
        case 16: return "BIGINT";
        case 23: return "BOOLEAN";
        case 27: return "DOUBLE PRECISION";
        case 35: return "TIMESTAMP";
        case 37: return "VARCHAR";
        case 45:
        case 261: return "BLOB";
        default: return {};
    }
}

std::string UniqueConstraintName(DbConnection& connection, const std::string& wanted) {
    const std::string cut = wanted.size() > 20 ? wanted.substr(0, 20) : wanted;
    std::string candidate = cut;
    auto query = NewQuery(connection, "");
    db::DbTransaction& transaction = connection.DefaultTransaction();
    try {
        for (int counter = 0;; ++counter) {
            query->Close();
            if (counter > 0) candidate = cut + "_" + std::to_string(counter);
            query->SetSQL("select count(*) from RDB$RELATION_CONSTRAINTS where RDB$CONSTRAINT_NAME=" +
                          QuoteLiteral(candidate));
            query->Open();
            const bool free = query->Fields(0).AsInteger() == 0;
            if (transaction.InTransaction()) transaction.Commit();
            if (free) return candidate;
        }
    } catch (...) {
        RollbackQuietly(transaction);
        throw;
    }
}

}  // namespace dravik::frames
