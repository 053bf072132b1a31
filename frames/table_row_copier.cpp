// One table's rows copied row by row into the destination, batched once the
// table is long enough, committed every interval, with failing rows either
// skipped and counted or ending the copy.
#include "frames/table_row_copier.h"

#include "db/db_error.h"
#include "db/text_conversion.h"
#include "frames/declareSQL.h"

#include <algorithm>
#include <utility>

namespace dravik::frames {

TableRowCopier::TableRowCopier(db::DbConnection& source, db::DbConnection& destination, const std::string& table,
                               bool ignoreErrors, int commitInterval, StopCheck stopRequested, ProgressLine progress,
                               OpenedSource opened, SourceRowWatchers* watchers)
    : source_(source),
      from_(opened.table ? std::move(opened.table) : NewTable(source, table)),
      to_(NewTable(destination, table)),
      ignoreErrors_(ignoreErrors),
      commitInterval_(std::max(commitInterval, 1)),
      stopRequested_(std::move(stopRequested)),
      progress_(std::move(progress)) {
    if (!opened.empty && !from_->IsOpen()) from_->OpenPacked();
    // A table without rows costs no more than its reading: the destination's
    // table is neither opened nor committed, and no reader thread starts.
    if (opened.empty || from_->Eof()) {
        if (watchers) watchers->NoRows(TrimRight(table), source);
        ended_ = true;
        return;
    }
    to_->Describe();
    for (int i = 0; i < from_->FieldCount(); ++i) {
        db::DbField& field = from_->Fields(i);
        db::DbField* match = to_->FindField(field.FieldName());
        if (!match) {
            if (missingColumn_.empty()) missingColumn_ = field.FieldName();
        } else if (!match->computed) {  // a computed column is never sent: no need to read it
            columns_.push_back({&field, match});
        }
    }
    std::vector<db::DbField*> read;
    for (const ColumnCopy& column : columns_) read.push_back(column.from);
    if (watchers) watch_ = watchers->Watch(TrimRight(table), *from_);
    pump_ = std::make_unique<SourceRowPump>(*from_, std::move(read), watch_.get());
}

void TableRowCopier::QueueRow(SourceRowPump::Row& row) {
    to_->Insert();
    if (!missingColumn_.empty()) throw db::DbClientError::Format(db::DbClientError::kFieldNotFound, missingColumn_);
    // The values move into the pending row, whose old storage goes back to
    // the reader for a later row.
    const db::TextConversion& conversion = db::ActiveTextConversion();
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (!conversion.ConvertValue(row[c]))
            throw std::runtime_error("column " + columns_[c].from->FieldName() +
                                     ": its bytes are not valid in the code page they are converted from");
        columns_[c].to->SwapValue(row[c]);
    }
    to_->Queue();
    if (to_->Queued() == 1) firstQueued_ = rows_;
}

bool TableRowCopier::CopyRow() {
    if (ended_) return false;
    SourceRowPump::Row* row = nullptr;
    try {
        row = pump_->Next();
    } catch (const std::exception& e) {
        Fail(e);  // the source could not give its next row
    }
    if (!row) return false;
    std::string refusal;
    try {
        QueueRow(*row);
    } catch (const db::DbEnvironmentError& e) {
        Fail(e);
    } catch (const std::exception& e) {
        refusal = e.what();
        if (refusal.empty()) refusal = "the row could not be queued";
    }
    if (!refusal.empty()) {
        if (!RowFailed(refusal)) return false;
    } else {
        ++rows_;
        if (stopRequested_()) {
            ended_ = true;  // the row just queued counts; Flush sends it
            return false;
        }
        if (rows_ == kRowsBeforeBatching) batchRows_ = to_->BatchCapacity();
        // Batches are sent before every commit, so progress lines and commits
        // fall where they would row by row.
        const bool commitHere = rows_ % commitInterval_ == 0;
        if (commitHere || to_->Queued() >= batchRows_) {
            if (!Flush()) return false;
            if (commitHere) {
                Commit(true);
                progress_(rows_, errors_, false);
            }
        }
    }
    return true;
}

bool TableRowCopier::RowFailed(const std::string& message) {
    if (!Flush()) return false;
    Refused(message);
    if (!ignoreErrors_) {
        Abandon();  // the failing row is not counted among the rows handled
        return false;
    }
    ++rows_;
    return true;
}

void TableRowCopier::Refused(const std::string& message) {
    ++errors_;
    if (firstRefusal_.empty()) firstRefusal_ = message;
}

bool TableRowCopier::Flush() {
    if (abandoned_) return false;
    if (!pump_) return true;  // an empty table
    std::vector<db::DbTable::RowFailure> failures;
    try {
        failures = to_->FlushQueue(!ignoreErrors_);
    } catch (const std::exception& e) {
        Fail(e);
    }
    for (const db::DbTable::RowFailure& failure : failures) {
        Refused(failure.message);
        if (!ignoreErrors_) {
            Abandon();
            return false;
        }
    }
    return true;
}

void TableRowCopier::Abandon() {
    abandoned_ = ended_ = true;
    try {
        to_->Transaction().Rollback();
    } catch (const std::exception& e) {
        Fail(e);
    }
    // The rollback takes back every row since the last commit.
    rows_ = committedRows_;
    errors_ = committedErrors_ + 1;
}

void TableRowCopier::Commit(bool retaining) {
    try {
        if (retaining)
            to_->Transaction().CommitRetaining();
        else
            to_->Transaction().Commit();
    } catch (const std::exception& e) {
        Fail(e);
    }
    committedRows_ = rows_;
    committedErrors_ = errors_;
}

void TableRowCopier::Fail(const std::exception& error) {
    ended_ = true;
    db::DbTransaction& transaction = to_->Transaction();
    if (transaction.InTransaction()) {
        try {
            transaction.Rollback();
        } catch (const std::exception&) {
            // A lost attachment has nothing left to roll back.
        }
    }
    rows_ = committedRows_;
    errors_ = committedErrors_;
    progress_(rows_, errors_, true);
    throw CopyFailure(error.what());
}

void TableRowCopier::Finish() {
    if (!abandoned_ && pump_) Commit(false);
    progress_(rows_, errors_, true);
}

}  // namespace dravik::frames
