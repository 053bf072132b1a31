#include "db/db_connection.h"

#include "db/db_query.h"

#include "db/db_error.h"
#include "db/sql_text.h"

#include <algorithm>
#include <cstdint>
#include <cctype>

namespace dravik::db {

// ---------------------------------------------------------------- transaction

DbTransaction::DbTransaction(DbConnection& connection) : connection_(connection) {}

DbTransaction::~DbTransaction() {
    if (handle_) {
        ISC_STATUS_ARRAY status;
        Api().rollback_transaction(status, &handle_);
        handle_ = 0;
    }
}

void DbTransaction::RequireActive() const {
    if (!handle_) throw DbClientError::Format(DbClientError::kTransactionNotActive);
}

void DbTransaction::StartTransaction() {
    if (handle_) throw DbClientError::Format(DbClientError::kTransactionActive);
    if (!connection_.Connected()) throw DbClientError::Format(DbClientError::kDatabaseClosed);
    // One transaction existence block: the database and the parameter buffer
    // (none: the server's defaults).
    static const char readOnlySnapshot[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_concurrency, isc_tpb_nowait};
    struct {
        isc_db_handle* database;
        long tpbLength;
        const char* tpb;
    } teb{connection_.Handle(), readOnlySnapshot_ ? static_cast<long>(sizeof readOnlySnapshot) : 0,
          readOnlySnapshot_ ? readOnlySnapshot : nullptr};
    ISC_STATUS_ARRAY status;
    Api().start_multiple(status, &handle_, 1, &teb);
    CheckStatus(status);
}

void DbTransaction::SetActive(bool active) {
    if (active && !handle_) StartTransaction();
    if (!active && handle_) Rollback();
}

void DbTransaction::End(bool commit) {
    RequireActive();
    ++ends_;
    CloseDataSets();
    ISC_STATUS_ARRAY status;
    if (commit)
        Api().commit_transaction(status, &handle_);
    else
        Api().rollback_transaction(status, &handle_);
    CheckStatus(status);
}

void DbTransaction::Commit() { End(true); }
void DbTransaction::Rollback() { End(false); }

void DbTransaction::CommitRetaining() {
    RequireActive();
    ISC_STATUS_ARRAY status;
    Api().commit_retaining(status, &handle_);
    CheckStatus(status);
}

void DbTransaction::RollbackRetaining() {
    RequireActive();
    const FbApi& api = Api();
    FbApi::RequireVersion6(reinterpret_cast<const void*>(api.rollback_retaining), "isc_rollback_retaining");
    ISC_STATUS_ARRAY status;
    api.rollback_retaining(status, &handle_);
    CheckStatus(status);
}

void DbTransaction::Register(DbDataSet* dataSet) { dataSets_.push_back(dataSet); }

void DbTransaction::Unregister(DbDataSet* dataSet) {
    dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), dataSet), dataSets_.end());
}

bool DbTransaction::OtherOpen(const DbDataSet* except) const {
    return std::any_of(dataSets_.begin(), dataSets_.end(),
                       [except](const DbDataSet* d) { return d != except && d->IsOpen(); });
}

void DbTransaction::CloseDataSets() {
    const bool wasEnding = ending_;
    ending_ = true;
    const std::vector<DbDataSet*> copy = dataSets_;
    try {
        for (DbDataSet* d : copy)
            if (d->IsOpen()) d->Close();
    } catch (...) {
        ending_ = wasEnding;
        throw;
    }
    ending_ = wasEnding;
}

void DbTransaction::EndForDisconnect() {
    if (!handle_) return;
    ++ends_;
    ISC_STATUS_ARRAY status;
    switch (DefaultAction) {
        case Action::Commit:
            CloseDataSets();
            if (Api().commit_transaction(status, &handle_)) {
                Api().rollback_transaction(status, &handle_);
                handle_ = 0;
            }
            break;
        case Action::Rollback:
            CloseDataSets();
            Api().rollback_transaction(status, &handle_);
            handle_ = 0;
            break;
        case Action::CommitRetaining: CommitRetaining(); break;
        case Action::RollbackRetaining: RollbackRetaining(); break;
    }
}

// ----------------------------------------------------------------- connection

DbConnection::DbConnection() : transaction_(*this) { Api(); }

DbConnection::~DbConnection() { DisconnectForced(); }

void DbConnection::DisconnectForced() {
    DropKeptQueries();
    if (!handle_) return;
    // Errors are ignored and the handles dropped.
    try {
        transaction_.CloseDataSets();
    } catch (...) {
    }
    if (transaction_.InTransaction()) {
        ISC_STATUS_ARRAY status;
        Api().rollback_transaction(status, transaction_.Handle());
        transaction_.Forget();
    }
    ISC_STATUS_ARRAY status;
    Api().detach_database(status, &handle_);
    handle_ = 0;
}

void DbConnection::SetDatabaseName(const std::string& name) {
    if (name != databaseName_ && Connected()) throw DbClientError::Format(DbClientError::kDatabaseOpen);
    databaseName_ = name;
}

std::string DbConnection::CodePage() const {
    for (auto line = params_.rbegin(); line != params_.rend(); ++line) {
        const size_t eq = line->find('=');
        if (eq == std::string::npos) continue;
        std::string name = line->substr(0, eq);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        name.erase(std::remove_if(name.begin(), name.end(), [](unsigned char c) { return std::isspace(c); }), name.end());
        if (name == "lc_ctype" || name == "isc_dpb_lc_ctype") return line->substr(eq + 1);
    }
    return "";
}

void DbConnection::SetSQLDialect(int dialect) {
    if (dialect < 1 || (Connected() && dialect > databaseDialect_))
        throw DbClientError::Format(DbClientError::kDialectInvalid);
    sqlDialect_ = dialect;
}

void DbConnection::Connect() {
    if (Connected()) return;
    if (databaseName_.empty()) throw DbClientError::Format(DbClientError::kDatabaseNameMissing);
    DropKeptQueries();  // any left belonged to an attachment that is gone
    const std::string dpb = BuildParameterBuffer(params_);
    ISC_STATUS_ARRAY status;
    Api().attach_database(status, static_cast<short>(databaseName_.size()), databaseName_.c_str(), &handle_,
                          static_cast<short>(dpb.size()), dpb.data());
    if (Failed(status)) {
        handle_ = 0;
        ThrowStatus(status);
    }
    ReadDatabaseInfo();
    if (databaseDialect_ < sqlDialect_) sqlDialect_ = databaseDialect_;
}

void DbConnection::ReadDatabaseInfo() {
    const char items[] = {isc_info_db_sql_dialect, isc_info_page_size, isc_info_end};
    char buffer[64] = {};
    ISC_STATUS_ARRAY status;
    Api().database_info(status, &handle_, sizeof items, items, sizeof buffer, buffer);
    CheckStatus(status);
    databaseDialect_ = 1;
    for (const char* p = buffer; p < buffer + sizeof buffer && *p != isc_info_end;) {
        const char item = *p++;
        const short length = static_cast<short>(Api().vax_integer(p, 2));
        p += 2;
        if (item == isc_info_db_sql_dialect) databaseDialect_ = static_cast<int>(Api().vax_integer(p, length));
        if (item == isc_info_page_size) pageSize_ = static_cast<int>(Api().vax_integer(p, length));
        p += length;
    }
}

bool DbConnection::ConnectWithoutDbTriggers(bool allowActive) {
    params_.push_back("NO_DB_TRIGGERS=1");
    try {
        Connect();
        return true;
    } catch (const DbServerError& e) {
        if (e.IBErrorCode() != isc_adm_task_denied || !allowActive) throw;
    }
    params_.push_back("NO_DB_TRIGGERS=0");
    Connect();
    return false;
}

std::unique_ptr<DbQuery>& DbConnection::KeptQuerySlot(const std::string& text) { return keptQueries_[text]; }

void DbConnection::DropKeptQueries() {
    try {
        keptQueries_.clear();
    } catch (...) {
        // Freeing a statement of a lost attachment: nothing left to free.
    }
}

void DbConnection::SwapAttachment(DbConnection& other) {
    if (transaction_.InTransaction() || other.transaction_.InTransaction())
        throw DbClientError::Format(DbClientError::kTransactionActive);
    DropKeptQueries();
    other.DropKeptQueries();
    std::swap(databaseName_, other.databaseName_);
    std::swap(params_, other.params_);
    std::swap(sqlDialect_, other.sqlDialect_);
    std::swap(databaseDialect_, other.databaseDialect_);
    std::swap(handle_, other.handle_);
}

void DbConnection::Disconnect() {
    if (!Connected()) return;
    DropKeptQueries();
    transaction_.EndForDisconnect();
    transaction_.CloseDataSets();
    ISC_STATUS_ARRAY status;
    Api().detach_database(status, &handle_);
    CheckStatus(status);
    handle_ = 0;
}

namespace {

// True for the "PASSWORD '...'" clause, whatever its case and leading blanks.
bool IsPasswordClause(const std::string& line) {
    const size_t start = line.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return false;
    std::string head = line.substr(start, 8);
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return head == "PASSWORD";
}

}  // namespace

std::string DbConnection::CreateText(bool maskPassword) const {
    std::string text = "CREATE DATABASE " + SqlString(databaseName_) + " ";
    for (const std::string& line : createClauses_) {
        text += maskPassword && IsPasswordClause(line) ? std::string("PASSWORD '***'") : line;
        text += "\r\n";
    }
    return text;
}

void DbConnection::CreateDatabase() {
    if (Connected()) throw DbClientError::Format(DbClientError::kDatabaseOpen);
    DropKeptQueries();
    const std::string text = CreateDatabaseText();
    isc_tr_handle noTransaction = 0;
    ISC_STATUS_ARRAY status;
    Api().dsql_execute_immediate(status, &handle_, &noTransaction, 0, text.c_str(),
                                 static_cast<unsigned short>(sqlDialect_), nullptr);
    if (Failed(status)) {
        handle_ = 0;
        ThrowStatus(status, CreateText(true));
    }
}

void DbConnection::DropDatabase() {
    if (!Connected()) throw DbClientError::Format(DbClientError::kDatabaseClosed);
    DropKeptQueries();
    ISC_STATUS_ARRAY status;
    Api().drop_database(status, &handle_);
    CheckStatus(status);
    handle_ = 0;
    transaction_.Forget();
}

// ------------------------------------------------------------ parameter buffer

namespace {

struct DpbName {
    enum Kind { Text, Flag, Number };
    const char* name;
    char code;
    Kind kind;  // a text, a one-byte 0 or 1, or a four-byte number
};

// The parameters the layer accepts.
constexpr DpbName kDpbNames[] = {
    {"user_name", isc_dpb_user_name, DpbName::Text},
    {"password", isc_dpb_password, DpbName::Text},
    {"lc_ctype", isc_dpb_lc_ctype, DpbName::Text},
    {"sql_role_name", isc_dpb_sql_role_name, DpbName::Text},
    {"force_write", isc_dpb_force_write, DpbName::Flag},
    {"no_db_triggers", isc_dpb_no_db_triggers, DpbName::Flag},
    {"config", isc_dpb_config, DpbName::Text},
    {"connect_timeout", isc_dpb_connect_timeout, DpbName::Number},
};

std::string Trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

}  // namespace

std::string BuildParameterBuffer(const std::vector<std::string>& params) {
    std::string dpb(1, static_cast<char>(isc_dpb_version1));
    for (const std::string& line : params) {
        const size_t eq = line.find('=');
        std::string name = eq == std::string::npos ? std::string() : Trimmed(line.substr(0, eq));
        if (name.empty()) continue;
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name.rfind("isc_dpb_", 0) == 0) name.erase(0, 8);
        const std::string value = line.substr(eq + 1);
        const auto known = std::find_if(std::begin(kDpbNames), std::end(kDpbNames),
                                        [&](const DpbName& n) { return name == n.name; });
        if (known == std::end(kDpbNames)) throw DbClientError::Format(DbClientError::kUnknownParameter, name);
        if (known->kind == DpbName::Number) {
            const std::string digits = Trimmed(value);
            if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
                throw DbClientError::Format(DbClientError::kParameterNotNumber, name);
            const std::uint32_t number = static_cast<std::uint32_t>(std::stoul(digits));
            dpb += known->code;
            dpb += static_cast<char>(4);
            for (int shift = 0; shift < 32; shift += 8) dpb += static_cast<char>((number >> shift) & 0xFF);
            continue;
        }
        if (known->kind == DpbName::Flag) {
            const std::string digits = Trimmed(value);
            if (digits != "0" && digits != "1")
                throw DbClientError::Format(DbClientError::kParameterNotFlag, name);
            dpb += known->code;
            dpb += static_cast<char>(1);
            dpb += static_cast<char>(digits == "1" ? 1 : 0);
            continue;
        }
        if (value.size() > 255) throw DbClientError::Format(DbClientError::kParameterTooLong, name);
        dpb += known->code;
        dpb += static_cast<char>(value.size());
        dpb += value;
    }
    return dpb;
}

}  // namespace dravik::db
