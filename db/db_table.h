// All rows of one named table, read through a forward cursor, and inserts
// into it through one prepared statement reused for every row.
#pragma once

#include "db/db_cursor_set.h"
#include "db/packed_select.h"

namespace dravik::db {

class DbTable : public DbCursorSet {
public:
    explicit DbTable(DbConnection& connection, std::string tableName = {})
        : DbCursorSet(connection), tableName_(std::move(tableName)) {}

    const std::string& TableName() const { return tableName_; }
    void SetTableName(std::string name) { tableName_ = std::move(name); }

    // Learns the columns in declared order and opens a cursor on every row.
    void Open();
    // Learns the columns in declared order and reads no row: for a table that
    // is only written, or whose columns alone are asked for.
    void Describe();
    // Open, for reading every row: only the stored columns (a computed one is
    // never read), several rows to a fetch where the server allows (see
    // packed_select.h), when the table holds at least leastRows (0: always).
    void OpenPacked(std::int64_t leastRows = kLeastPackedRows);

    // Starts a pending row in which every column is NULL.
    void Insert();
    bool Inserting() const { return inserting_; }
    // Inserts the pending row; afterwards no row is pending, whatever the outcome.
    void Post();
    void AssignPending(int index, const DbValue& value) override;
    void SwapPending(int index, DbValue& value) override;

    // Batched inserts: Queue() takes the pending row like Post() but lets it
    // wait, and FlushQueue() sends the waiting rows several at a time in one
    // EXECUTE BLOCK, saving a statement and a round trip per row.
    struct RowFailure {
        int row;  // position among the rows flushed, from 0
        std::string message;
    };
    // Rows one batch holds (1 when the table's rows cannot be batched).
    int BatchCapacity();
    // Queues the pending row; raises (and queues nothing) when it must fail
    // before it is sent, as Post would.
    void Queue();
    int Queued() const { return queued_; }
    // Inserts the queued rows. A batch the server refuses is undone whole by
    // the server and retried row by row, so only the failing rows are lost;
    // with stopAtFirst the rows after the first failure are not tried.
    // Returns the failures in row order; the queue is empty afterwards.
    std::vector<RowFailure> FlushQueue(bool stopAtFirst);

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

    struct Batch {
        std::unique_ptr<DsqlStatement> statement;
        std::vector<ISC_SCHAR*> ownData;  // each parameter's own buffer
    };

    struct CatalogueColumn {
        std::string name;
        bool computed;
        bool hasDefault;
        bool domainNotNull;
    };
    // The table's columns in declared order, as the catalogue describes them.
    std::vector<CatalogueColumn> ReadColumns();
    void OpenColumns(bool storedOnly, bool readRows = true);
    void PrepareInsert();
    void CheckRequired(const std::vector<DbValue>& row) const;
    void Bind(XSQLVAR& var, const ParamSlot& slot, ISC_SCHAR* ownData, const DbValue& value);
    // Sizes the inline blobs of a statement inserting that many rows.
    void StartBinding(int rows);
    bool BindInlineBlob(XSQLVAR& var, const ParamSlot& slot, const DbValue& value);
    void BindArray(XSQLVAR& var, const ParamSlot& slot, const DbValue& value);
    void InsertRow(const std::vector<DbValue>& row);
    Batch* BatchFor(int rows);
    std::string BatchText(int rows) const;

    std::string tableName_;
    bool inserting_ = false;
    std::vector<DbValue> pending_;
    std::unique_ptr<DsqlStatement> insert_;
    std::vector<ParamSlot> slots_;
    std::vector<std::string> textScratch_;
    // Each array parameter's element type and bounds, looked up at its first value.
    std::vector<std::shared_ptr<const ISC_ARRAY_DESC>> arrays_;
    // Inline blobs (see BindInlineBlob): all of one statement's take at most
    // kInlineBlobBytes, so its message stays well under the engine's 64 KB.
    static constexpr size_t kInlineBlobBytes = 24000;
    static constexpr size_t kMostInlineBlobBytes = 2000;
    static constexpr size_t kLeastInlineBlobBytes = 100;
    size_t inlineBlobWidth_ = 0;     // the current statement's; 0: none inline
    std::vector<char> inlineArea_;   // their values while the statement runs
    size_t inlineUsed_ = 0;
    int batchCapacity_ = 0;  // 0: not worked out yet
    std::vector<std::vector<DbValue>> queue_;  // reused rows; the first queued_ are waiting
    int queued_ = 0;
    std::vector<std::unique_ptr<Batch>> batches_;  // by row count; null until needed
};

}  // namespace dravik::db
