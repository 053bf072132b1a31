// One attachment to a database and its one default transaction.
#pragma once

#include "db/fb_api.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dravik::db {

class DbConnection;
class DbQuery;

// Queries, statements and tables bound to a transaction; the transaction
// closes them on a hard commit or rollback, the connection on Disconnect.
class DbDataSet {
public:
    virtual ~DbDataSet() = default;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
};

class DbTransaction {
public:
    enum class Action { Commit, Rollback, CommitRetaining, RollbackRetaining };

    explicit DbTransaction(DbConnection& connection);
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;

    void StartTransaction();
    void Commit();
    void Rollback();
    void CommitRetaining();
    void RollbackRetaining();
    bool InTransaction() const { return handle_ != 0; }
    bool Active() const { return InTransaction(); }
    // true starts the transaction when it is not active; false rolls it back.
    void SetActive(bool active);

    Action DefaultAction = Action::CommitRetaining;

    // Transactions started from now on are read-only snapshots (concurrency,
    // no wait): all they read is one consistent state of the database, and
    // they can change nothing. The default is the server's: read-write.
    void SetReadOnlySnapshot(bool readOnly) { readOnlySnapshot_ = readOnly; }
    bool ReadOnlySnapshot() const { return readOnlySnapshot_; }

    DbConnection& Connection() const { return connection_; }
    isc_tr_handle* Handle() { return &handle_; }

    void Register(DbDataSet* dataSet);
    void Unregister(DbDataSet* dataSet);
    // True when a registered object other than the given one is open.
    bool OtherOpen(const DbDataSet* except) const;
    void CloseDataSets();
    // True while the transaction is closing its objects on the way to its own
    // end; their auto-transaction rule must not end it a second time.
    bool Ending() const { return ending_; }
    // Ends an active transaction with the default action, as Disconnect does:
    // a failed hard commit is followed by a rollback and the handle dropped.
    void EndForDisconnect();
    // Drops the handle without telling the server (after a forced detach).
    void Forget() { handle_ = 0; }

    // While commits are held, the code that would commit one statement's work
    // leaves the transaction open: whoever holds them commits many statements
    // at once (the plan runner's groups of objects).
    void HoldCommits(bool hold) { commitsHeld_ = hold; }
    bool CommitsHeld() const { return commitsHeld_; }
    // How often the transaction was ended (committed or rolled back): the
    // holder of commits sees whether its transaction is still the one it began.
    std::uint64_t Ends() const { return ends_; }
    // Still the transaction that was active when Ends() gave endsAt: active,
    // and never ended since.
    bool StillTheOne(std::uint64_t endsAt) const { return InTransaction() && ends_ == endsAt; }

private:
    void RequireActive() const;
    void End(bool commit);

    DbConnection& connection_;
    isc_tr_handle handle_ = 0;
    bool ending_ = false;
    bool readOnlySnapshot_ = false;
    bool commitsHeld_ = false;
    std::uint64_t ends_ = 0;
    std::vector<DbDataSet*> dataSets_;
};

class DbConnection {
public:
    DbConnection();  // loads the client library on first use
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);

    // The attach parameters: "NAME=value" lines (see BuildParameterBuffer).
    std::vector<std::string>& Params() { return params_; }
    const std::vector<std::string>& Params() const { return params_; }
    // The clauses CreateDatabase writes after the name ("USER 'x'",
    // "PAGE_SIZE 8192" ...).
    std::vector<std::string>& CreateClauses() { return createClauses_; }

    // The character set the attachment reads statements in and names come
    // back in: the last LC_CTYPE line ("" when none).
    std::string CodePage() const;

    int SQLDialect() const { return sqlDialect_; }
    void SetSQLDialect(int dialect);
    int DatabaseDialect() const { return databaseDialect_; }
    // The attached database's page size in bytes (read when it is attached).
    int PageSize() const { return pageSize_; }

    DbTransaction& DefaultTransaction() { return transaction_; }

    void Connect();
    // Connects with the database's triggers (ON CONNECT, ON TRANSACTION ...)
    // turned off. Only SYSDBA and the owner may: for anyone else it connects
    // with them active when allowActive, and raises the server's refusal
    // otherwise. True when they are off.
    bool ConnectWithoutDbTriggers(bool allowActive);
    void Disconnect();
    // Disconnects whatever the server says (a lost attachment, a shutdown):
    // the transaction is rolled back when it can be, every handle dropped.
    void DisconnectForced();
    bool Connected() const { return handle_ != 0; }
    void SetConnected(bool connected) { connected ? Connect() : Disconnect(); }

    // Executes "CREATE DATABASE '<name>' " + every CreateClauses line + CR LF and
    // leaves the connection attached to the new database. Its error carries
    // the text with the password's literal masked.
    void CreateDatabase();
    std::string CreateDatabaseText() const { return CreateText(false); }
    void DropDatabase();

    isc_db_handle* Handle() { return &handle_; }

    // Exchanges what the two connections are attached to (handle, name,
    // attach lines, dialects), so that code holding one of them works through
    // the other's attachment. Neither may have an active transaction; the
    // kept queries of both are dropped.
    void SwapAttachment(DbConnection& other);

    // The query of that text kept prepared while the connection stays
    // attached (see KeptQuery); null until the first one is made.
    std::unique_ptr<DbQuery>& KeptQuerySlot(const std::string& text);

private:
    void ReadDatabaseInfo();  // its dialect and page size
    void DropKeptQueries();
    std::string CreateText(bool maskPassword) const;

    std::string databaseName_;
    std::vector<std::string> params_;
    std::vector<std::string> createClauses_;
    int sqlDialect_ = 3;
    int databaseDialect_ = 1;
    int pageSize_ = 0;
    isc_db_handle handle_ = 0;
    DbTransaction transaction_;
    std::map<std::string, std::unique_ptr<DbQuery>> keptQueries_;
};

// The database parameter buffer for a list of "NAME=value" lines: lines
// without a name are skipped, names are case-insensitive with an optional
// "isc_dpb_" prefix, and a name given twice is encoded twice so that the
// server takes the last one.
std::string BuildParameterBuffer(const std::vector<std::string>& params);

}  // namespace dravik::db
