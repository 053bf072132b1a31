// The shared part of DbQuery and DbTable: an open statement with a forward
// cursor, its fields, and the auto-transaction rule.
#pragma once

#include "db/db_connection.h"
#include "db/db_field.h"
#include "db/dsql.h"

#include <memory>
#include <string>
#include <vector>

namespace dravik::db {

class DbCursorSet : public DbDataSet {
public:
    explicit DbCursorSet(DbConnection& connection);
    ~DbCursorSet() override;
    DbCursorSet(const DbCursorSet&) = delete;
    DbCursorSet& operator=(const DbCursorSet&) = delete;

    void Close() override;
    bool IsOpen() const override { return open_; }
    bool Active() const { return open_; }

    bool Eof() const { return eof_; }
    void Next();
    // Reads every remaining row and returns to the current one; RecordCount
    // is then the number of rows of the result.
    void FetchAll();
    int RecordCount() const { return recordCount_; }

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    DbField& Fields(int i) { return *fields_.at(static_cast<size_t>(i)); }
    // The first field of that name, without regard to case.
    DbField& FieldByName(const std::string& name);
    DbField* FindField(const std::string& name);

    DbConnection& Connection() const { return connection_; }
    DbTransaction& Transaction() const { return transaction_; }
    const XSQLVAR& OutputVar(int i) { return statement_.Output().Var(i); }
    virtual void AssignPending(int index, const DbValue& value);
    virtual void SwapPending(int index, DbValue& value);

protected:
    // Attaches and starts the transaction as needed, then prepares and runs
    // the text; a select leaves the cursor on its first row.
    void OpenText(const std::string& text);
    // Hook for closing work of derived classes, run before the transaction rule.
    virtual void OnClose() {}
    DsqlStatement& Statement() { return statement_; }

private:
    void BuildFields();
    void FetchRow();

    DbConnection& connection_;
    DbTransaction& transaction_;
    DsqlStatement statement_;
    std::vector<std::unique_ptr<DbField>> fields_;
    bool open_ = false;
    bool eof_ = true;
    bool startedTransaction_ = false;
    int recordCount_ = 0;
    // Rows read ahead by FetchAll: raw copies of the output buffers.
    std::vector<std::vector<char>> cachedRows_;
    size_t cachedAt_ = 0;
    bool allFetched_ = false;
};

// Field names as the rule for duplicates gives them (names compared exactly:
// quoted names may differ only in case): the first of a name
// keeps it, each later one gets the smallest free number appended (the whole
// cut to 31 characters), a column without a name is "F_" and a number.
std::vector<std::string> UniqueFieldNames(const std::vector<std::string>& described);

}  // namespace dravik::db
