// One prepared DSQL statement with its output and input descriptor areas:
// the shared machinery under DbQuery, DbStatement and DbTable.
#pragma once

#include "db/db_connection.h"

#include <memory>
#include <string>
#include <vector>

namespace dravik::db {

// An XSQLDA with storage for every column's value and null indicator.
class SqlDescriptor {
public:
    SqlDescriptor() { Resize(1); }
    void Resize(int count);
    XSQLDA* Get() { return reinterpret_cast<XSQLDA*>(area_.data()); }
    const XSQLDA* Get() const { return reinterpret_cast<const XSQLDA*>(area_.data()); }
    int Count() const { return Get()->sqld; }
    XSQLVAR& Var(int i) { return Get()->sqlvar[i]; }
    const XSQLVAR& Var(int i) const { return Get()->sqlvar[i]; }
    // Gives every described variable a buffer of its type's size and an indicator.
    void AllocateBuffers();

private:
    std::vector<char> area_;
    std::vector<int64_t> data_;  // 8-byte aligned storage
    std::vector<short> indicators_;
};

// Size in bytes of a variable's value buffer.
size_t ValueSize(const XSQLVAR& var);

// Makes an input variable carry that text (not NULL) as character set NONE:
// its bytes reach the server as a literal's of a NONE connection would. The
// text must outlive the execution.
void BindText(XSQLVAR& var, const std::string& text);

class DsqlStatement {
public:
    DsqlStatement() = default;
    ~DsqlStatement();
    DsqlStatement(const DsqlStatement&) = delete;
    DsqlStatement& operator=(const DsqlStatement&) = delete;

    // Prepares the text on the connection within the transaction and describes
    // its output (and, when asked, its input parameters).
    void Prepare(DbConnection& connection, DbTransaction& transaction, const std::string& text, bool describeInput);
    bool Prepared() const { return handle_ != 0; }
    bool IsSelect() const { return statementType_ == isc_info_sql_stmt_select ||
                                   statementType_ == isc_info_sql_stmt_select_for_upd; }
    int StatementType() const { return statementType_; }

    void Execute(DbTransaction& transaction, XSQLDA* input = nullptr);
    // Fetches into the output descriptor; false at the end of the cursor.
    bool Fetch();
    void CloseCursor();  // keeps the statement prepared
    void Drop();

    SqlDescriptor& Output() { return output_; }
    SqlDescriptor& Input() { return input_; }
    bool CursorOpen() const { return cursorOpen_; }

private:
    isc_stmt_handle handle_ = 0;
    isc_db_handle* db_ = nullptr;
    std::string text_;  // carried by the statement's errors
    int statementType_ = 0;
    bool cursorOpen_ = false;
    SqlDescriptor output_;
    SqlDescriptor input_;
};

}  // namespace dravik::db
