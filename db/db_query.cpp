#include "db/db_query.h"

#include "db/db_error.h"

namespace dravik::db {

DbStatement::DbStatement(DbConnection& connection, std::string sql)
    : connection_(connection), transaction_(connection.DefaultTransaction()), sql_(std::move(sql)) {
    transaction_.Register(this);
}

DbStatement::~DbStatement() { transaction_.Unregister(this); }

void DbStatement::SetSQL(std::string sql) {
    if (sql != sql_) statement_.Drop();
    sql_ = std::move(sql);
}

void DbStatement::ExecQuery() {
    if (!connection_.Connected()) throw DbClientError::Format(DbClientError::kDatabaseClosed);
    if (!transaction_.InTransaction()) throw DbClientError::Format(DbClientError::kTransactionNotActive);
    if (sql_.empty()) throw DbClientError::Format(DbClientError::kEmptyQuery);
    if (!statement_.Prepared()) statement_.Prepare(connection_, transaction_, sql_, true);
    statement_.Execute(transaction_, statement_.Input().Count() > 0 ? statement_.Input().Get() : nullptr);
    statement_.CloseCursor();
}

void ForEachRow(DbConnection& connection, const std::string& sql, const std::function<void(DbCursorSet&)>& visit,
                std::vector<std::string> params) {
    DbQuery query(connection, sql);
    query.SetParams(std::move(params));
    for (query.Open(); !query.Eof(); query.Next()) visit(query);
}

KeptQuery::KeptQuery(DbConnection& connection, const std::string& sql, std::vector<std::string> params) {
    std::unique_ptr<DbQuery>& kept = connection.KeptQuerySlot(sql);
    if (!kept) {
        kept = std::make_unique<DbQuery>(connection, sql);
        kept->KeepPrepared();
    }
    if (kept->IsOpen()) {
        own_ = std::make_unique<DbQuery>(connection, sql);
        query_ = own_.get();
    } else {
        query_ = kept.get();
    }
    query_->SetParams(std::move(params));
}

KeptQuery::~KeptQuery() {
    try {
        query_->Close();
    } catch (...) {
        // As a query's own destructor: a failed commit of its auto-transaction is dropped.
    }
}

}  // namespace dravik::db
