// The source's tables opened for their copy before the data pass, while the
// job waits for the destination's commits: the engine's first reading of a
// table's metadata and the preparing of its select (most of what a small or
// empty table costs) then run beside the destination's work, on the other
// core, as a backup runs beside its restore.
//
// The source attachment is shared, not locked: the worker uses it only inside
// a window the job opens around a destination commit, when nothing of the job
// touches the source, and closing the window waits for the table being
// opened. A table opened ahead is given out only while the source's
// transaction is still the one it was opened in, so its rows are the job's
// snapshot; otherwise the data pass opens it itself, as it does every table
// not reached.
#pragma once

#include "db/db_connection.h"
#include "frames/table_row_copier.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dravik::frames {

class SourceTablePrefetch {
public:
    // Opens the tables in that order (names as the data pass gives them).
    SourceTablePrefetch(db::DbConnection& source, std::vector<std::string> tables);
    // Stops the worker; tables nobody took are closed.
    ~SourceTablePrefetch();
    SourceTablePrefetch(const SourceTablePrefetch&) = delete;
    SourceTablePrefetch& operator=(const SourceTablePrefetch&) = delete;

    // While it lives, the worker may use the source.
    class Window {
    public:
        explicit Window(SourceTablePrefetch* prefetch);
        ~Window();
        Window(const Window&) = delete;
        Window& operator=(const Window&) = delete;

    private:
        SourceTablePrefetch* prefetch_;
    };

    // The table opened ahead, or nothing when it was not reached, failed to
    // open (the data pass then meets the same failure itself) or belongs to
    // a snapshot that has ended.
    OpenedSource Take(const std::string& table);

private:
    // Open tables with rows held at once: each holds a prepared statement
    // and its first rows.
    static constexpr int kMostHeldOpen = 256;

    void Allow(bool allowed);
    void Work();
    bool SnapshotKept() const;

    db::DbConnection& source_;
    const std::vector<std::string> tables_;
    const std::uint64_t transactionEndsAt_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool allowed_ = false, busy_ = false, quitting_ = false;
    size_t next_ = 0;
    int heldOpen_ = 0;
    std::map<std::string, OpenedSource> opened_;
    std::thread worker_;
};

}  // namespace dravik::frames
