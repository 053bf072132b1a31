// The rows of one table on their way from the source to the destination: the
// two open tables, the columns matched by name, one reused value per column,
// the rows waiting in the batch, and the row and error counters. The data
// frame feeds it one source row at a time; it decides when a batch is sent,
// when to commit and when the copy is over.
#pragma once

#include "db/db_connection.h"
#include "db/db_table.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dravik::frames {

class TableRowCopier {
public:
    // Read after every row that reached the destination's queue; true ends
    // the copy after that row.
    using StopCheck = std::function<bool()>;
    // Writes a progress line: rows handled so far and how many of them failed.
    using ProgressLine = std::function<void(std::int64_t rows, std::int64_t errors)>;

    // Opens the table of that name on both sides and matches their columns;
    // raises when either table cannot be opened. With ignoreErrors a failing
    // row is skipped and counted, else it ends the copy with a hard rollback
    // of the destination. commitInterval (more than 0) is the number of rows
    // between two commits, each followed by a progress line.
    TableRowCopier(db::DbConnection& source, db::DbConnection& destination, const std::string& table,
                   bool ignoreErrors, int commitInterval, StopCheck stopRequested, ProgressLine progress);
    TableRowCopier(const TableRowCopier&) = delete;
    TableRowCopier& operator=(const TableRowCopier&) = delete;

    // Copies the source's current row and moves on to the next. False when
    // the copy is over: no row left, a stop seen after this row, or a failure
    // that is not ignored.
    bool CopyRow();
    // Sends the rows waiting in the batch. False when a failure that is not
    // ignored ended the copy; the rows counted then go back to those before
    // the failing one, and the destination is rolled back.
    bool Flush();
    // Writes the table's last progress line and, unless a failure ended the
    // copy, commits both sides. Flush first: rows may still wait.
    void Finish();

    std::int64_t Rows() const { return rows_; }      // rows handled (copied or failed)
    std::int64_t Errors() const { return errors_; }  // rows that failed
    bool Abandoned() const { return abandoned_; }

private:
    // One source column and the destination column it is copied into.
    struct ColumnCopy {
        db::DbField* from;
        db::DbField* to;
    };
    // Rows go one by one until a table shows it is long enough to repay
    // preparing the statement that inserts them a batch at a time.
    static constexpr std::int64_t kRowsBeforeBatching = 1000;

    // Reads the current source row into the destination's queue; raises
    // when the row cannot be queued.
    void QueueRow();
    // A row that could not be queued: the rows before it go first, so
    // failures keep their order; false when the copy ends with it.
    bool RowFailed();
    // Ends the copy at a failure that is not ignored.
    void Abandon();

    db::DbConnection& source_;
    std::unique_ptr<db::DbTable> from_;
    std::unique_ptr<db::DbTable> to_;
    std::vector<ColumnCopy> columns_;
    std::string missingColumn_;            // a source column the destination lacks fails every row
    std::vector<db::DbValue> values_;      // one per matched column, reused for every row
    const bool ignoreErrors_;
    const int commitInterval_;
    StopCheck stopRequested_;
    ProgressLine progress_;
    int batchRows_ = 1;                    // rows queued before a batch is sent
    std::int64_t firstQueued_ = 0;         // the row number of the first row waiting in the batch
    std::int64_t rows_ = 0;
    std::int64_t errors_ = 0;
    bool abandoned_ = false;               // a failure that is not ignored ended the copy
    bool ended_ = false;                   // abandoned, or a stop was seen
};

}  // namespace dravik::frames
