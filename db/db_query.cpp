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

}  // namespace dravik::db
