// One table's rows copied row by row into the destination, batched once the
// table is long enough, committed every interval, with failing rows either
// skipped and counted or ending the copy.
#include "frames/table_row_copier.h"

#include "db/db_error.h"
#include "frames/declareSQL.h"

#include <algorithm>
#include <utility>

namespace dravik::frames {

TableRowCopier::TableRowCopier(db::DbConnection& source, db::DbConnection& destination, const std::string& table,
                               bool ignoreErrors, int commitInterval, StopCheck stopRequested, ProgressLine progress)
    : source_(source),
      from_(NewTable(source, table)),
      to_(NewTable(destination, table)),
      ignoreErrors_(ignoreErrors),
      commitInterval_(std::max(commitInterval, 1)),
      stopRequested_(std::move(stopRequested)),
      progress_(std::move(progress)) {
    from_->Open();
    to_->Open();
    for (int i = 0; i < from_->FieldCount(); ++i) {
        db::DbField& field = from_->Fields(i);
        db::DbField* match = to_->FindField(field.FieldName());
        if (!match) {
            if (missingColumn_.empty()) missingColumn_ = field.FieldName();
        } else if (!match->computed) {  // a computed column is never sent: no need to read it
            columns_.push_back({&field, match});
        }
    }
    values_.resize(columns_.size());
}

void TableRowCopier::QueueRow() {
    to_->Insert();
    if (!missingColumn_.empty()) throw db::DbClientError::Format(db::DbClientError::kFieldNotFound, missingColumn_);
    for (size_t c = 0; c < columns_.size(); ++c) {
        columns_[c].from->ReadInto(values_[c]);
        columns_[c].to->SwapValue(values_[c]);
    }
    to_->Queue();
    if (to_->Queued() == 1) firstQueued_ = rows_;
}

bool TableRowCopier::CopyRow() {
    if (ended_ || from_->Eof()) return false;
    bool queued = true;
    try {
        QueueRow();
    } catch (const std::exception&) {
        queued = false;
    }
    if (!queued) {
        if (!RowFailed()) return false;
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
                to_->Transaction().CommitRetaining();
                progress_(rows_, errors_);
            }
        }
    }
    from_->Next();
    return true;
}

bool TableRowCopier::RowFailed() {
    if (!Flush()) return false;
    ++errors_;
    if (!ignoreErrors_) {
        Abandon();  // the failing row is not counted among the rows handled
        return false;
    }
    ++rows_;
    return true;
}

bool TableRowCopier::Flush() {
    if (abandoned_) return false;
    for (const db::DbTable::RowFailure& failure : to_->FlushQueue(!ignoreErrors_)) {
        ++errors_;
        if (!ignoreErrors_) {
            rows_ = firstQueued_ + failure.row;
            Abandon();
            return false;
        }
    }
    return true;
}

void TableRowCopier::Abandon() {
    abandoned_ = ended_ = true;
    to_->Transaction().Rollback();
}

void TableRowCopier::Finish() {
    progress_(rows_, errors_);
    if (abandoned_) return;
    to_->Transaction().Commit();
    source_.DefaultTransaction().Commit();
}

}  // namespace dravik::frames
