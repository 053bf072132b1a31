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
    // is then the number of rows of the result. Not for packed rows.
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
    // Field i's variable in the current row; with packed rows, in the current
    // row's slot of the wide row fetched.
    const XSQLVAR& FieldVar(int i) {
        return statement_.Output().Var(packStride_ ? 1 + slot_ * packStride_ + i : i);
    }
    bool RowsPacked() const { return packStride_ > 0; }
    // The inline copy of field i, a blob, in the current row's slot (see
    // PackedColumn); null when the rows carry none.
    const XSQLVAR* InlineVar(int i) {
        if (!packStride_ || inlineOf_.empty() || inlineOf_[static_cast<size_t>(i)] < 0) return nullptr;
        return &statement_.Output().Var(1 + slot_ * packStride_ + FieldCount() + inlineOf_[static_cast<size_t>(i)]);
    }
    virtual void AssignPending(int index, const DbValue& value);
    virtual void SwapPending(int index, DbValue& value);

    // Reads the rows of this open select of the table's stored columns (the
    // table written as the statement must write it) anew, from the first,
    // several to a fetch (see packed_select.h): only when the table holds at
    // least leastRows rows (0: whatever it holds), and at most rowsPerFetch
    // to a fetch (0: as many as fit; 1: one, so never packed). Short blobs
    // come inline (InlineVar). The fields stay the select's, and FieldVar
    // walks the slots of each wide row as if they were rows. When the server
    // refuses the block, the select is run again as it was. True when the
    // rows come packed.
    bool ReadPacked(const std::string& quotedTable, std::int64_t leastRows, int rowsPerFetch = 0);

protected:
    // Attaches and starts the transaction as needed, then prepares and runs
    // the text; a select leaves the cursor on its first row. Without run,
    // the text is only prepared: the fields describe its columns and no row
    // is read (for a set that is only written).
    void OpenText(const std::string& text, bool run = true);
    // Hook for closing work of derived classes, run before the transaction rule.
    virtual void OnClose() {}
    // Texts bound to the '?' parameters of the text at each open, as
    // character set NONE (the bytes as they are, like a literal).
    std::vector<std::string> params_;
    // Closing keeps the statement prepared, and opening the same text again
    // only runs it.
    bool keepPrepared_ = false;
    DsqlStatement& Statement() { return statement_; }

private:
    // ReadPacked's switch to the block of that text. inlineOf gives each
    // field's place among the slot's inline copies, -1 for none.
    bool PackRows(const std::string& blockText, std::vector<int> inlineOf);
    void BuildFields();
    void FetchRow();
    void BindParams();

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
    std::string openedText_;  // the select as opened, to fall back on
    bool preparedWithParams_ = false;
    // Packed rows: variables per slot (0: one row per fetch), each field's
    // inline copy, the current row's slot and the slots the wide row holds.
    int packStride_ = 0;
    std::vector<int> inlineOf_;
    int slot_ = 0;
    int slotsFilled_ = 0;
};

// Field names as the rule for duplicates gives them (names compared exactly:
// quoted names may differ only in case): the first of a name
// keeps it, each later one gets the smallest free number appended (the whole
// cut to 31 characters), a column without a name is "F_" and a number.
std::vector<std::string> UniqueFieldNames(const std::vector<std::string>& described);

}  // namespace dravik::db
