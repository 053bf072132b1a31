// The rows of one table on their way from the source to the destination: the
// two open tables, the columns matched by name, the reader thread that reads
// the source ahead (SourceRowPump), the rows waiting in the batch, and the
// row and error counters. The data frame asks it to copy one row at a time;
// it decides when a batch is sent, when to commit and when the copy is over.
//
// A row the destination refuses (a key, a check, a value it cannot hold) is
// the row's own fault. Anything else (the source failing to fetch a row, an
// I/O error such as a full disk, a lost connection, a failed commit) raises
// CopyFailure: the destination is rolled back to its last commit and the
// counters go back with it, so they always say what the destination holds.
#pragma once

#include "db/db_connection.h"
#include "db/db_table.h"
#include "frames/source_row_pump.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace dravik::frames {

// A source table opened before its copy (see SourceTablePrefetch): open with
// its first rows read, or known to hold none.
struct OpenedSource {
    std::unique_ptr<db::DbTable> table;
    bool empty = false;
};

// A failure of the copy that is not a row's own; the message is the server's.
class CopyFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TableRowCopier {
public:
    // Read after every row that reached the destination's queue; true ends
    // the copy after that row.
    using StopCheck = std::function<bool()>;
    // Writes a progress line: rows handled so far and how many of them
    // failed; `last` for the table's final count.
    using ProgressLine = std::function<void(std::int64_t rows, std::int64_t errors, bool last)>;

    // Opens the table of that name on both sides and matches their columns;
    // raises when either table cannot be opened. A source table without rows
    // leaves the destination's alone: there is nothing to write. With ignoreErrors a failing
    // row is skipped and counted, else it ends the copy with a hard rollback
    // of the destination. commitInterval (more than 0) is the number of rows
    // between two commits, each followed by a progress line. A source table
    // opened already comes as `opened`. Watchers, when given, may watch the
    // rows read (see SourceRowWatchers).
    TableRowCopier(db::DbConnection& source, db::DbConnection& destination, const std::string& table,
                   bool ignoreErrors, int commitInterval, StopCheck stopRequested, ProgressLine progress,
                   OpenedSource opened = {}, SourceRowWatchers* watchers = nullptr);
    TableRowCopier(const TableRowCopier&) = delete;
    TableRowCopier& operator=(const TableRowCopier&) = delete;

    // Copies the source's current row and moves on to the next. False when
    // the copy is over: no row left, a stop seen after this row, or a refused
    // row that is not ignored. Raises CopyFailure.
    bool CopyRow();
    // Sends the rows waiting in the batch. False when a refused row that is
    // not ignored ended the copy: the destination is rolled back to its last
    // commit and the rows counted with it. Raises CopyFailure.
    bool Flush();
    // Unless a refused row ended the copy, commits the destination; then
    // writes the table's last progress line. Flush first: rows may still
    // wait. Raises CopyFailure. The source's snapshot is left to its owner.
    void Finish();

    std::int64_t Rows() const { return rows_; }      // rows handled (copied or refused)
    std::int64_t Errors() const { return errors_; }  // rows refused
    // Rows the destination holds: those handled less the refused ones; a
    // copy ended by a refused row did not count that row among those handled.
    std::int64_t Copied() const { return rows_ - errors_ + (abandoned_ ? 1 : 0); }
    // The message of the first refused row; empty when none was refused.
    const std::string& FirstRefusal() const { return firstRefusal_; }
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

    // Puts a source row into the destination's queue; raises when the row
    // cannot be queued.
    void QueueRow(SourceRowPump::Row& row);
    // A row that could not be queued: the rows before it go first, so
    // failures keep their order; false when the copy ends with it.
    bool RowFailed(const std::string& message);
    // Counts a refused row; the first one's message is kept.
    void Refused(const std::string& message);
    // Ends the copy at a refused row that is not ignored.
    void Abandon();
    // Commits the destination's rows so far (hard or retaining) and moves the
    // committed counters along; a failure goes to Fail.
    void Commit(bool retaining);
    // Ends the copy at a failure that is not a row's own: rolls the
    // destination back, brings the counters back to its last commit, writes
    // the progress line and raises CopyFailure with the error's message.
    [[noreturn]] void Fail(const std::exception& error);

    db::DbConnection& source_;
    std::unique_ptr<db::DbTable> from_;
    std::unique_ptr<db::DbTable> to_;
    std::vector<ColumnCopy> columns_;
    std::string missingColumn_;            // a source column the destination lacks fails every row
    std::unique_ptr<SourceRowWatch> watch_;  // sees the rows pump_ reads; outlives it
    std::unique_ptr<SourceRowPump> pump_;  // reads from_ ahead of the writer; goes before from_
    const bool ignoreErrors_;
    const int commitInterval_;
    StopCheck stopRequested_;
    ProgressLine progress_;
    int batchRows_ = 1;                    // rows queued before a batch is sent
    std::int64_t firstQueued_ = 0;         // the row number of the first row waiting in the batch
    std::int64_t rows_ = 0;
    std::int64_t errors_ = 0;
    std::int64_t committedRows_ = 0;       // rows_ and errors_ at the last commit
    std::int64_t committedErrors_ = 0;
    std::string firstRefusal_;
    bool abandoned_ = false;               // a failure that is not ignored ended the copy
    bool ended_ = false;                   // abandoned, or a stop was seen
};

}  // namespace dravik::frames
