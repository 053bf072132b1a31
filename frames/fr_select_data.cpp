// Table data: every row of a picked table streamed from the source into the
// table of the same name in the destination, with a commit every interval,
// a count of rows and failed rows, and "ignore the errors".
#include "frames/fr_select_data.h"

#include "frames/declareSQL.h"
#include "frames/source_table_prefetch.h"
#include "frames/table_row_copier.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace dravik::frames {

std::string TFrame_select_data::ListingSql() const {
    // Temporary tables hold no rows to copy; an external table's rows live in
    // its file, which the clone's table names as well.
    return "select RDB$RELATION_NAME as NAME, RDB$RELATION_NAME as OBJ FROM RDB$RELATIONS where RDB$SYSTEM_FLAG<>1 "
           "and RDB$VIEW_SOURCE IS NULL and coalesce(RDB$RELATION_TYPE, 0) = 0 and RDB$EXTERNAL_FILE IS NULL "
           "order by RDB$RELATION_NAME;";
}

void TFrame_select_data::LoadList(DbConnection& connection, bool) {
    setAsideOffered_.Clear();
    setAsidePicked_.Clear();
    FillFromQuery(connection, false, ListingSql());
}

namespace {

// Moves the items of `from` whose object name is (or is not) in `names` to `to`;
// returns the names moved.
std::vector<std::string> MoveWhere(TQorListItems& from, TQorListItems& to, const std::set<std::string>& names,
                                   bool inNames) {
    std::vector<std::string> moved;
    for (int i = from.Count() - 1; i >= 0; --i) {
        const TQorListItem item = from.Item(i);
        if ((names.count(item.ObjectName) > 0) != inNames) continue;
        to.Add(item);
        from.Remove(i);
        moved.push_back(item.ObjectName);
    }
    return moved;
}

}  // namespace

std::vector<std::string> TFrame_select_data::FollowTables(const std::set<std::string>& created) {
    MoveWhere(setAsideOffered_, srcList, created, true);
    MoveWhere(setAsidePicked_, dstList, created, true);
    MoveWhere(srcList, setAsideOffered_, created, false);
    std::vector<std::string> picked = MoveWhere(dstList, setAsidePicked_, created, false);
    std::reverse(picked.begin(), picked.end());
    return picked;
}

namespace {

std::string ProgressText(std::int64_t rows, std::int64_t errors) {
    return std::to_string(rows) + " записей (" + std::to_string(errors) + " ошибок)";
}

// The rows of a table, counted in the source's snapshot; -1 when the count fails.
std::int64_t RowsOrUnknown(DbConnection& source, const std::string& table) {
    try {
        return CountRows(source, QuoteIdentifier(TrimRight(table)));
    } catch (const std::exception&) {
        return -1;
    }
}

void RecordCopier(TableCopyResult& result, const TableRowCopier& copier, bool complete) {
    result.copied = copier.Copied();
    result.refused = copier.Errors();
    result.firstRefusal = copier.FirstRefusal();
    result.complete = complete;
}

// A server message whole on one line, its lines joined by "; ": the
// refusal that explains a table's red line ("Dynamic SQL Error" alone says
// nothing; the lines after it say which value and why).
std::string OnOneLine(const std::string& message) {
    std::string line;
    for (const char c : message) {
        if (c == '\r') continue;
        line += c == '\n' ? std::string("; ") : std::string(1, c);
    }
    return line;
}

}  // namespace

void TFrame_select_data::CopyProgress(std::int64_t rows, std::int64_t errors) {
    LogOk("Скопировано:", ProgressText(rows, errors));
}

void TFrame_select_data::CopySelectedData(DbConnection& source, DbConnection& destination) {
    refusedRows_ = 0;
    tableResults_.clear();
    rowsBesideRefusals_ = 0;
    serverCopyFailed_ = false;
    uncommittedTables_.clear();
    if (serverSource)
        LogNote("COPY DATA", "the rows are copied by the destination's server, which reads the source itself");
    for (int i = 0; i < SelectedCount(); ++i) {
        CopyObjectData(source, destination, SelectedName(i));
        if (CheckStop()) break;
    }
    if (serverSource) EndServerTransaction(destination);
}

void TFrame_select_data::EndServerTransaction(DbConnection& destination) {
    db::DbTransaction& transaction = destination.DefaultTransaction();
    if (!serverCopyFailed_) {
        if (!destination.Connected() || !transaction.InTransaction()) return;
        try {
            transaction.Commit();
            uncommittedTables_.clear();
            return;
        } catch (const std::exception& e) {
            FailJob("COPY DATA", e.what());
        }
    }
    // Undone like the rows since the last commit on the other path: each
    // table's last line then says what the destination holds.
    try {
        if (transaction.InTransaction()) transaction.Rollback();
    } catch (const std::exception&) {
        // A lost attachment has nothing left to roll back.
    }
    for (const std::string& table : uncommittedTables_) {
        LogError("COPY DATA " + table, "rolled back with the failure: 0 rows in the destination");
        for (TableCopyResult& result : tableResults_)
            if (result.table == table) {
                result.copied = 0;
                result.complete = false;
            }
    }
    uncommittedTables_.clear();
}

bool TFrame_select_data::CopiedByServer(DbConnection& source, DbConnection& destination, const std::string& name,
                                        const std::function<void(std::int64_t, std::int64_t, bool)>& progress) {
    // Every table in one destination transaction, and so one snapshot of
    // the source; committed after the last table.
    db::DbTransaction& transaction = destination.DefaultTransaction();
    if (!transaction.InTransaction()) transaction.StartTransaction();
    uncommittedTables_.push_back(TrimRight(name));
    const ServerCopyOutcome copy = CopyRowsByServer(
        source, destination, name, *serverSource, commitInterval, [this] { return CheckStop(); },
        [&](std::int64_t rows, bool last) { progress(rows, 0, last); });
    if (copy.copied) {
        tableResults_.back().copied = copy.rows;
        return true;
    }
    LogNote("COPY DATA " + TrimRight(name), "copied through Dravik: " + copy.why);
    // The tables copied so far are kept; the rows of the next ones are read
    // in a snapshot of their own.
    transaction.Commit();
    uncommittedTables_.clear();
    return false;
}

void TFrame_select_data::CopyObjectData(DbConnection& source, DbConnection& destination, const std::string& name) {
    const auto started = std::chrono::steady_clock::now();
    const size_t resultIndex = tableResults_.size();
    tableResults_.emplace_back().table = TrimRight(name);
    CopyTable(source, destination, name, resultIndex);
    tableResults_[resultIndex].seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void TFrame_select_data::CopyTable(DbConnection& source, DbConnection& destination, const std::string& name,
                                   size_t resultIndex) {
    LogOk("COPY DATA", name);
    const std::int64_t total = countRows ? RowsOrUnknown(source, name) : -1;
    const std::string table = TrimRight(name);
    auto progress = [this, total, &table](std::int64_t rows, std::int64_t errors, bool last) {
        if (last || !wizard) return CopyProgress(rows, errors);
        wizard->LogProgress("Скопировано:", ProgressText(rows, errors), table, rows, total);
    };
    if (serverSource) {
        try {
            if (CopiedByServer(source, destination, name, progress)) return;
        } catch (const std::exception& e) {
            // Everything the server copied since the last commit is rolled
            // back once the pass ends (EndServerTransaction).
            serverCopyFailed_ = true;
            tableResults_[resultIndex].complete = false;
            FailJob("COPY DATA " + table, e.what());
            return;
        }
    }
    std::unique_ptr<TableRowCopier> copier;
    try {
        copier = std::make_unique<TableRowCopier>(source, destination, name, ignoreErrors, commitInterval,
                                                  [this] { return CheckStop(); }, progress,
                                                  prefetch ? prefetch->Take(name) : OpenedSource{}, rowWatchers);
    } catch (const std::exception& e) {
        // The table is missing in the destination (a table that was not
        // created) or a cursor cannot be opened: this table's rows are
        // missing, the other tables are still copied.
        LogError("COPY DATA", e.what());
        tableResults_[resultIndex].complete = false;
        return;
    }
    try {
        while (copier->CopyRow()) {
        }
        copier->Flush();  // the rows still waiting after the last row or a stop
        copier->Finish();
    } catch (const CopyFailure& e) {
        // Not a row's fault: the source or the destination failed underneath,
        // and every further table would fail the same way.
        RecordCopier(tableResults_[resultIndex], *copier, false);
        refusedRows_ += copier->Errors();
        FailJob("COPY DATA " + TrimRight(name), e.what());
        return;
    }
    RecordCopier(tableResults_[resultIndex], *copier, !copier->Abandoned() && !(wizard && wizard->StopFlag()));
    refusedRows_ += copier->Errors();
    if (copier->Errors() > 0) rowsBesideRefusals_ += copier->Copied();
    if (copier->Errors() > 0)
        LogError("COPY DATA " + TrimRight(name), std::to_string(copier->Errors()) + " row" +
                                          (copier->Errors() == 1 ? "" : "s") + " refused, " +
                                          std::to_string(copier->Copied()) + " copied; the first refusal: " +
                                          OnOneLine(copier->FirstRefusal()));
}

}  // namespace dravik::frames
