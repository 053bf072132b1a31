// Table data: the rows of the picked tables, streamed from the source into
// the destination with a commit every few hundred rows.
#pragma once

#include "frames/fr_select.h"
#include "frames/server_side_copy.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace dravik::frames {

class SourceTablePrefetch;
class SourceRowWatchers;

// What became of one table's rows: the destination's count, the rows it
// refused (with the first refusal's message) and the time the copy took.
struct TableCopyResult {
    std::string table;
    std::int64_t copied = 0;
    std::int64_t refused = 0;
    std::string firstRefusal;
    double seconds = 0;
    bool complete = true;  // false: a failure or a stop ended the table's copy early
};

class TFrame_select_data : public TFrame_select {
public:
    // The job hands these over from its settings when it starts.
    // A failing row is skipped (and counted) instead of ending the table's copy.
    bool ignoreErrors = true;
    // Rows between two commits, each followed by a progress line (more than 0).
    int commitInterval = 500;
    // Count each table's rows before its copy, for progress against a total
    // (one more scan of the table: only when someone watches).
    bool countRows = false;
    // Set when the destination's server can read the source itself: each
    // table's rows are then copied by that server (see server_side_copy.h),
    // all in one destination transaction committed after the last table. A
    // table the server cannot copy goes through a TableRowCopier.
    std::optional<ExternalSource> serverSource;
    // Source tables opened ahead, taken from when set.
    SourceTablePrefetch* prefetch = nullptr;
    // Watch the source rows that Dravik copies, when set.
    SourceRowWatchers* rowWatchers = nullptr;

    std::string Title() const override { return "Data"; }
    std::string SummaryHeading() const override { return "\r\nData"; }
    std::string ListingSql() const override;
    ObjectKind ListedKind() const override { return ObjectKind::Table; }
    std::string CopyStepCode() const override { return "M_DAT"; }
    // No table starts picked for data copy, whatever the caller asks.
    void LoadList(DbConnection& connection, bool toSelected) override;
    void CopySelectedData(DbConnection& source, DbConnection& destination) override;
    // One table through a TableRowCopier. A table that cannot be opened is
    // a red line; refused rows are one red line with their number and the
    // first refusal; a failure that is not a row's own ends the job.
    void CopyObjectData(DbConnection& source, DbConnection& destination, const std::string& name);

    // Offers only the tables in `created` (object names): the others leave
    // both lists and come back, offered or picked as they were, once they are
    // in it again. Returns the picked tables set aside now.
    std::vector<std::string> FollowTables(const std::set<std::string>& created);

    // "Скопировано:" with the row and error counts.
    void CopyProgress(std::int64_t rows, std::int64_t errors);
    // Rows the destination refused during the last data pass, over all tables.
    std::int64_t RefusedRows() const { return refusedRows_; }
    // Every table of the last data pass, in copying order.
    const std::vector<TableCopyResult>& TableResults() const { return tableResults_; }
    // Rows the destination holds of the tables that refused rows.
    std::int64_t RowsBesideRefusals() const { return rowsBesideRefusals_; }

private:
    // The server's copy of one table; false when its rows must go through
    // Dravik after all.
    bool CopiedByServer(DbConnection& source, DbConnection& destination, const std::string& name,
                        const std::function<void(std::int64_t, std::int64_t, bool)>& progress);

    // Commits the rows the server copied; after a failure (or a failed
    // commit) rolls them back instead, with a red line for each table.
    void EndServerTransaction(DbConnection& destination);

    // The copy of one table, its outcome kept in tableResults_[resultIndex].
    void CopyTable(DbConnection& source, DbConnection& destination, const std::string& name, size_t resultIndex);

    std::int64_t refusedRows_ = 0;
    std::vector<TableCopyResult> tableResults_;
    std::int64_t rowsBesideRefusals_ = 0;
    // Tables whose table will not be created, as they were offered or picked.
    TQorListItems setAsideOffered_, setAsidePicked_;
    // The tables the server copied in the destination transaction still open.
    std::vector<std::string> uncommittedTables_;
    bool serverCopyFailed_ = false;
};

}  // namespace dravik::frames
