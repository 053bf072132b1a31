// Table data: every row of a picked table streamed from the source into the
// table of the same name in the destination, with a commit every interval,
// a count of rows and failed rows, and "ignore the errors".
#include "frames/fr_select_data.h"

#include "db/db_error.h"
#include "frames/declareSQL.h"

#include <vector>

namespace dravik::frames {

namespace {

// One source column and the destination column it is copied into, matched
// by name once per table.
struct ColumnCopy {
    db::DbField* from;
    db::DbField* to;
};

}  // namespace

std::string TFrame_select_data::ListingSql() const {
    return "select RDB$RELATION_NAME as NAME, RDB$RELATION_NAME as OBJ FROM RDB$RELATIONS where RDB$SYSTEM_FLAG<>1 "
           "and RDB$VIEW_SOURCE IS NULL order by RDB$RELATION_NAME;";
}

void TFrame_select_data::LoadList(DbConnection& connection, bool) { FillFromQuery(connection, false, ListingSql()); }

void TFrame_select_data::CopyProgress(int rows, int errors) {
    LogOk("Скопировано:", std::to_string(rows) + " записей (" + std::to_string(errors) + " ошибок)");
}

void TFrame_select_data::CopySelectedData(DbConnection& source, DbConnection& destination) {
    refusedRows_ = 0;
    TFrame_select::CopySelectedData(source, destination);
}

void TFrame_select_data::CopyObjectData(DbConnection& source, DbConnection& destination, const std::string& name) {
    LogOk("COPY DATA", name);
    try {
        auto from = NewTable(source, name);
        auto to = NewTable(destination, name);
        from->Open();
        to->Open();
        db::DbTransaction& target = to->Transaction();

        std::vector<ColumnCopy> columns;
        std::string missingColumn;  // a source column the destination lacks fails every row
        for (int i = 0; i < from->FieldCount(); ++i) {
            db::DbField& field = from->Fields(i);
            db::DbField* match = to->FindField(field.FieldName());
            if (!match) {
                if (missingColumn.empty()) missingColumn = field.FieldName();
            } else if (!match->computed) {  // a computed column is never sent: no need to read it
                columns.push_back({&field, match});
            }
        }

        const int interval = commitInterval;
        // Rows go one by one until a table shows it is long enough to repay
        // preparing the statement that inserts them a batch at a time.
        constexpr int kRowsBeforeBatching = 1000;
        int batchRows = 1;
        int rows = 0, errors = 0;
        int firstQueued = 0;  // the row number of the first row waiting in the batch
        bool abandoned = false;
        // Sends the waiting rows. A failure that is not ignored ends the copy:
        // the rows counted go back to those before the failing one.
        auto flush = [&](int nextRow) {
            for (const auto& failure : to->FlushQueue(!ignoreErrors)) {
                ++errors;
                if (!ignoreErrors) {
                    rows = firstQueued + failure.row;
                    abandoned = true;
                    target.Rollback();
                    return false;
                }
            }
            firstQueued = nextRow;
            return true;
        };
        std::vector<db::DbValue> values(columns.size());  // reused for every row
        while (!from->Eof()) {
            bool failed = false;
            try {
                to->Insert();
                if (!missingColumn.empty())
                    throw db::DbClientError::Format(db::DbClientError::kFieldNotFound, missingColumn);
                for (size_t c = 0; c < columns.size(); ++c) {
                    columns[c].from->ReadInto(values[c]);
                    columns[c].to->SwapValue(values[c]);
                }
                to->Queue();
            } catch (const std::exception&) {
                failed = true;
            }
            if (failed) {
                // The rows waiting before this one go first, so failures keep their order.
                if (!flush(rows)) break;
                ++errors;
                if (!ignoreErrors) {
                    abandoned = true;
                    target.Rollback();
                    break;
                }
            } else {
                if (CheckStop()) {
                    ++rows;  // the row just posted
                    break;
                }
                if (rows + 1 == kRowsBeforeBatching) batchRows = to->BatchCapacity();
                const bool commitHere = (rows + 1) % interval == 0;
                if (commitHere || to->Queued() >= batchRows) {
                    if (!flush(rows + 1)) break;
                    if (commitHere) {
                        target.CommitRetaining();
                        CopyProgress(rows + 1, errors);
                    }
                }
            }
            ++rows;
            from->Next();
        }
        if (!abandoned && to->Queued() > 0) flush(rows);  // after a stop or the last row
        refusedRows_ += errors;
        CopyProgress(rows, errors);
        if (!abandoned) {
            target.Commit();
            source.DefaultTransaction().Commit();
        }
    } catch (const std::exception& e) {
        // The table is missing in the destination (a name the bare DDL could
        // not reproduce, a table that was not created), a cursor cannot be
        // opened or a commit fails: this table's copy ends, and its rows are
        // missing, so the failure is a red line.
        LogError("COPY DATA", e.what());
    }
}

}  // namespace dravik::frames
