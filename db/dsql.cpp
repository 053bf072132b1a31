#include "db/dsql.h"

#include "db/code_page_text.h"
#include "db/db_error.h"

namespace dravik::db {

void SqlDescriptor::Resize(int count) {
    if (count < 1) count = 1;
    area_.assign(XSQLDA_LENGTH(count), 0);
    XSQLDA* da = Get();
    da->version = SQLDA_VERSION1;
    da->sqln = static_cast<ISC_SHORT>(count);
}

size_t ValueSize(const XSQLVAR& var) {
    switch (var.sqltype & ~1) {
        case SQL_VARYING: return static_cast<size_t>(var.sqllen) + 2;
        case SQL_TEXT: return static_cast<size_t>(var.sqllen);
        default: return var.sqllen > 0 ? static_cast<size_t>(var.sqllen) : 8;
    }
}

void SqlDescriptor::AllocateBuffers() {
    XSQLDA* da = Get();
    size_t total = 0;
    for (int i = 0; i < da->sqld; ++i) total += (ValueSize(da->sqlvar[i]) + 7) / 8;
    data_.assign(total + 1, 0);
    indicators_.assign(static_cast<size_t>(da->sqld) + 1, 0);
    size_t offset = 0;
    for (int i = 0; i < da->sqld; ++i) {
        XSQLVAR& var = da->sqlvar[i];
        var.sqldata = reinterpret_cast<ISC_SCHAR*>(data_.data() + offset);
        var.sqlind = &indicators_[static_cast<size_t>(i)];
        offset += (ValueSize(var) + 7) / 8;
    }
}

void BindText(XSQLVAR& var, const std::string& text) {
    var.sqltype = SQL_TEXT;
    var.sqlsubtype = 0;  // NONE
    var.sqlscale = 0;
    var.sqllen = static_cast<short>(text.size());
    var.sqldata = const_cast<ISC_SCHAR*>(text.data());
}

DsqlStatement::~DsqlStatement() { Drop(); }

void DsqlStatement::Prepare(DbConnection& connection, DbTransaction& transaction, const std::string& text,
                            bool describeInput) {
    const FbApi& api = Api();
    ISC_STATUS_ARRAY status;
    Drop();
    text_ = text;
    db_ = connection.Handle();
    api.dsql_alloc_statement2(status, db_, &handle_);
    CheckStatus(status, text_);
    output_.Resize(1);
    // The program keeps statements in UTF-8; the attachment reads them in its own set.
    const std::string wire = ToCodePage(text, connection.CodePage());
    api.dsql_prepare(status, transaction.Handle(), &handle_, 0, wire.c_str(),
                     static_cast<unsigned short>(connection.SQLDialect()), output_.Get());
    if (Failed(status)) {
        try {
            ThrowStatus(status, text_);
        } catch (...) {
            Drop();
            throw;
        }
    }
    const char items[] = {isc_info_sql_stmt_type};
    char buffer[16] = {};
    api.dsql_sql_info(status, &handle_, sizeof items, items, sizeof buffer, buffer);
    CheckStatus(status, text_);
    statementType_ = 0;
    if (buffer[0] == isc_info_sql_stmt_type) {
        const short length = static_cast<short>(api.vax_integer(buffer + 1, 2));
        statementType_ = static_cast<int>(api.vax_integer(buffer + 3, length));
    }
    const int columns = output_.Get()->sqld;
    if (columns > output_.Get()->sqln) {
        output_.Resize(columns);
        api.dsql_describe(status, &handle_, SQLDA_VERSION1, output_.Get());
        CheckStatus(status, text_);
    }
    output_.AllocateBuffers();
    if (describeInput) {
        input_.Resize(1);
        api.dsql_describe_bind(status, &handle_, SQLDA_VERSION1, input_.Get());
        CheckStatus(status, text_);
        const int params = input_.Get()->sqld;
        if (params > input_.Get()->sqln) {
            input_.Resize(params);
            api.dsql_describe_bind(status, &handle_, SQLDA_VERSION1, input_.Get());
            CheckStatus(status, text_);
        }
        input_.AllocateBuffers();
    }
}

void DsqlStatement::Execute(DbTransaction& transaction, XSQLDA* input) {
    ISC_STATUS_ARRAY status;
    Api().dsql_execute(status, transaction.Handle(), &handle_, SQLDA_VERSION1, input);
    CheckStatus(status, text_);
    cursorOpen_ = IsSelect();
}

bool DsqlStatement::Fetch() {
    ISC_STATUS_ARRAY status;
    const ISC_STATUS rc = Api().dsql_fetch(status, &handle_, SQLDA_VERSION1, output_.Get());
    if (rc == 100) return false;
    CheckStatus(status, text_);
    return true;
}

void DsqlStatement::CloseCursor() {
    if (!handle_ || !cursorOpen_) return;
    cursorOpen_ = false;
    ISC_STATUS_ARRAY status;
    Api().dsql_free_statement(status, &handle_, DSQL_close);
    // A cursor whose transaction has already ended is closed by the server.
}

void DsqlStatement::Drop() {
    cursorOpen_ = false;
    if (!handle_) return;
    ISC_STATUS_ARRAY status;
    Api().dsql_free_statement(status, &handle_, DSQL_drop);
    handle_ = 0;
}

}  // namespace dravik::db
