// A select (or any statement) with a forward cursor, and a statement that is
// executed once. Both run in their connection's default transaction.
#pragma once

#include "db/db_cursor_set.h"

#include <functional>

namespace dravik::db {

class DbQuery : public DbCursorSet {
public:
    explicit DbQuery(DbConnection& connection, std::string sql = {}) : DbCursorSet(connection), sql_(std::move(sql)) {}

    const std::string& SQL() const { return sql_; }
    // Callers replace the text only while the query is closed; it reaches
    // the server unchanged (no parameter scanning).
    void SetSQL(std::string sql) { sql_ = std::move(sql); }

    // Opens a select positioned on its first row; any other statement is
    // executed once and leaves the query open with no rows.
    void Open() { OpenText(sql_); }
    void SetActive(bool active) { active ? Open() : Close(); }

    // Texts for the '?' of the text, bound at each open as character set
    // NONE: the bytes reach the server as in a literal of a NONE connection.
    void SetParams(std::vector<std::string> params) { params_ = std::move(params); }
    // Closing keeps the statement prepared, so that opening the same text
    // again only runs it.
    void KeepPrepared() { keepPrepared_ = true; }

private:
    std::string sql_;
};

// A query with '?' parameters that its connection keeps prepared, so that
// it is prepared once however often it runs (the per-object catalogue
// queries of a clone cost the engine more to prepare than to run). While
// the kept one is open, another of the same text is made for the time
// being. Closed when the handle goes.
class KeptQuery {
public:
    KeptQuery(DbConnection& connection, const std::string& sql, std::vector<std::string> params);
    ~KeptQuery();
    KeptQuery(const KeptQuery&) = delete;
    KeptQuery& operator=(const KeptQuery&) = delete;

    DbQuery* operator->() { return query_; }
    DbQuery& operator*() { return *query_; }

private:
    std::unique_ptr<DbQuery> own_;
    DbQuery* query_ = nullptr;
};

// Runs a select and calls visit for each of its rows, in order; the query is
// closed on every path. Texts for '?' are bound as in DbQuery::SetParams.
void ForEachRow(DbConnection& connection, const std::string& sql, const std::function<void(DbCursorSet&)>& visit,
                std::vector<std::string> params = {});

class DbStatement : public DbDataSet {
public:
    explicit DbStatement(DbConnection& connection, std::string sql = {});
    ~DbStatement() override;
    DbStatement(const DbStatement&) = delete;
    DbStatement& operator=(const DbStatement&) = delete;

    const std::string& SQL() const { return sql_; }
    void SetSQL(std::string sql);

    // Executes the text once; needs an attached connection and an active
    // transaction, which the caller starts and ends.
    void ExecQuery();

    void Close() override { statement_.Drop(); }
    bool IsOpen() const override { return false; }
    DbTransaction& Transaction() const { return transaction_; }

private:
    DbConnection& connection_;
    DbTransaction& transaction_;
    std::string sql_;
    DsqlStatement statement_;
};

}  // namespace dravik::db
