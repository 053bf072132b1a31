// All rows of one named table, read through a forward cursor, and inserts
// into it through one prepared statement reused for every row.
#pragma once

#include "db/db_cursor_set.h"

namespace dravik::db {

class DbTable : public DbCursorSet {
public:
    explicit DbTable(DbConnection& connection, std::string tableName = {})
        : DbCursorSet(connection), tableName_(std::move(tableName)) {}

    const std::string& TableName() const { return tableName_; }
    void SetTableName(std::string name) { tableName_ = std::move(name); }

    // Learns the columns in declared order and opens a cursor on every row.
    void Open();

    // Starts a pending row in which every column is NULL.
    void Insert();
    bool Inserting() const { return inserting_; }
    // Inserts the pending row; afterwards no row is pending, whatever the outcome.
    void Post();
    void AssignPending(int index, const DbValue& value) override;

    // The table name as the statements write it for the connection's dialect.
    std::string QuotedName() const;

protected:
    void OnClose() override;

private:
    struct ParamSlot {
        int column;          // index into the fields
        short type;          // as described by the server
        short subType;
        short scale;
        short length;
        ISC_SCHAR* ownData;  // the descriptor's own buffer
    };

    void LearnColumns();
    void PrepareInsert();
    void Bind(XSQLVAR& var, const ParamSlot& slot, const DbValue& value);

    std::string tableName_;
    bool inserting_ = false;
    std::vector<DbValue> pending_;
    std::unique_ptr<DsqlStatement> insert_;
    std::vector<ParamSlot> slots_;
    std::vector<std::string> textScratch_;
};

// A table or column name quoted for a dialect: dialect 1 trims and upper-cases
// it; dialects 2 and 3 drop trailing blanks, double inner quotes and quote it.
std::string QuoteName(const std::string& name, int dialect);

}  // namespace dravik::db
