// A table's rows read on a thread of their own, a chunk at a time, ahead of
// the writer: the source's engine work (fetching, reading blobs) then runs on
// another core than the destination's inserts. The source table is the
// pump's alone while it lives.
#pragma once

#include "db/db_table.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dravik::frames {

// Sees every row a pump reads, on the pump's reading thread, while the row is
// the table's current one.
class SourceRowWatch {
public:
    virtual ~SourceRowWatch() = default;
    virtual void Row(db::DbCursorSet& source) = 0;
    // The table's last row was read (never after a failure to read).
    virtual void AllRead() = 0;
};

// Hands out a watch for the rows of a table about to be copied; null when
// that table's rows are not watched.
class SourceRowWatchers {
public:
    virtual ~SourceRowWatchers() = default;
    virtual std::unique_ptr<SourceRowWatch> Watch(const std::string& table, db::DbCursorSet& source) = 0;
    // The table holds no rows in the snapshot the copy reads through source.
    virtual void NoRows(const std::string& table, db::DbConnection& source) = 0;
};

class SourceRowPump {
public:
    using Row = std::vector<db::DbValue>;

    // Reads the open table's first chunk from its current row and, when more
    // rows follow, starts the thread for the rest; each row's values are
    // those of the given fields, in their order. A watch sees each row read.
    SourceRowPump(db::DbTable& from, std::vector<db::DbField*> fields, SourceRowWatch* watch = nullptr);
    // Stops the reading (after the chunk under way) and waits for it.
    ~SourceRowPump();
    SourceRowPump(const SourceRowPump&) = delete;
    SourceRowPump& operator=(const SourceRowPump&) = delete;

    // The next row, null when no row is left; valid until the next call,
    // and its values may be swapped out. Raises the reading's failure after
    // the rows read before it.
    Row* Next();

private:
    struct Chunk {
        std::vector<Row> rows;  // reused: the first `count` hold rows
        size_t count = 0;
        bool last = false;      // no row after these
        std::exception_ptr failure;
    };
    static constexpr size_t kRowsPerChunk = 256;
    static constexpr int kChunks = 4;

    void Run();
    void ReadChunk(Chunk& chunk);

    db::DbTable& from_;
    const std::vector<db::DbField*> fields_;
    SourceRowWatch* const watch_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Chunk>> full_;   // read, waiting for the writer
    std::deque<std::unique_ptr<Chunk>> empty_;  // handed back, waiting for the reader
    bool stopping_ = false;
    std::unique_ptr<Chunk> current_;            // the writer's
    size_t at_ = 0;
    std::thread thread_;                        // last: starts once the rest is ready; none for one chunk
};

}  // namespace dravik::frames
