// The rows of a table as a row count and a 128-bit digest of their exact
// values, read as a stream (one fetch of up to 32 rows in memory at a time,
// blobs piece by piece).
//
// Each row's stored columns (computed ones are left out: no copy stores
// them, gbak's included, and a value that fails to compute must not stop the
// comparison), taken in the order of their names, are digested by their exact
// value: integers and scaled numbers by their stored integer and scale,
// floating point by its bit pattern, dates and times by the server's
// encoding, texts by their bytes (CHAR with its trailing blanks), booleans,
// blobs by their whole content, arrays by every element; NULL differs from
// every value, the empty text included. A row's bytes are digested once, by
// a keyed digest (see digest128.h) under the comparison's own key. The
// table's digest is the sum of its rows' digests modulo 2^128, with the count
// and the column names: it does not depend
// on the order in which the rows come, so no sort is needed and two
// databases compare alike whatever keys or indices each has, duplicate
// rows and rows that a collation holds equal included.
//
// The connection should use character set NONE so texts arrive as their
// stored bytes.
#pragma once

#include "db/db_connection.h"
#include "db/db_cursor_set.h"
#include "db/text_conversion.h"
#include "verify/digest128.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace dravik::verify {

struct TableDigest {
    std::int64_t rows = 0;
    Hash128 digest;
    bool operator==(const TableDigest&) const = default;
};

// The rows of tables digested beforehand under one key, by exact name.
struct TakenDigests {
    DigestKey key;
    std::map<std::string, TableDigest> tables;
};

// One side's rows digested before the comparison, or still being digested.
class DigestsAhead {
public:
    virtual ~DigestsAhead() = default;
    // The key the rows are digested under.
    virtual const DigestKey& Key() const = 0;
    // Waits for the digests, calling whileWaiting now and then (it may raise
    // to end the wait); null when there are none to take.
    virtual const TakenDigests* Take(const std::function<void()>& whileWaiting = {}) = 0;
};

// A reading of rows ended by a stop request.
struct ComparisonStopped : std::runtime_error {
    ComparisonStopped() : std::runtime_error("the comparison was stopped") {}
};

// The stored columns of every table of a database, read in one select in the
// connection's transaction (or a snapshot of its own): the digests of many
// tables then need no catalogue query each.
class StoredColumnsOfTables {
public:
    explicit StoredColumnsOfTables(db::DbConnection& connection);
    ~StoredColumnsOfTables();
    StoredColumnsOfTables(const StoredColumnsOfTables&) = delete;
    StoredColumnsOfTables& operator=(const StoredColumnsOfTables&) = delete;

private:
    friend struct StoredColumnsAccess;
    struct Tables;
    std::unique_ptr<Tables> tables_;
};

// Digests the table of that exact name (as stored, not quoted) under that
// key (the two sides of a comparison use the same one). Reads in the
// connection's active transaction, or else in a read-only snapshot of its own.
// Rows come several to a fetch, as many as fit (rowsPerFetch 0; a table of
// fewer than db::kLeastPackedRows rows then one at a time) or at most that
// many; the digest is the same however they come.
// With an active conversion, the texts it converts are read as the copy
// holds them (see converted_texts.h). A stop flag that turns true ends the
// reading, between two rows, with ComparisonStopped. The table's columns
// are taken from `known` when given (read in the same snapshot).
TableDigest DigestTable(db::DbConnection& connection, const std::string& exactTableName, const DigestKey& key,
                        int rowsPerFetch = 0, const db::TextConversion& conversion = {},
                        const std::atomic<bool>* stop = nullptr, const StoredColumnsOfTables* known = nullptr);

// The digest of the table of that exact name when it holds no rows, as
// DigestTable gives it; nothing when `known` has no such table.
std::optional<TableDigest> DigestOfNoRows(const StoredColumnsOfTables& known, const std::string& exactTableName,
                                          const DigestKey& key);

class RowDigester;

// A table's digest, equal to DigestTable's, taken from the rows another
// reader fetches (the copy's), on that reader's thread.
class StreamedTableDigest {
public:
    // For a cursor over the table that selects its stored columns, in any
    // order, and nothing else; null otherwise, or when one is an array.
    // Reads the table's columns in the connection's transaction.
    static std::unique_ptr<StreamedTableDigest> For(db::DbConnection& connection, const std::string& exactTableName,
                                                    db::DbCursorSet& cursor, const DigestKey& key,
                                                    const StoredColumnsOfTables* known = nullptr);
    ~StreamedTableDigest();
    StreamedTableDigest(const StreamedTableDigest&) = delete;
    StreamedTableDigest& operator=(const StreamedTableDigest&) = delete;

    // The cursor's current row, packed or not.
    void Row(db::DbCursorSet& cursor);
    // The digest of the rows given so far.
    TableDigest Finish() const;

private:
    struct Columns;
    StreamedTableDigest(db::DbConnection& connection, const std::string& exactTableName,
                        std::unique_ptr<Columns> columns, const DigestKey& key, std::vector<int> fieldOf);

    const DigestKey key_;
    std::unique_ptr<Columns> columns_;
    std::unique_ptr<RowDigester> digester_;
    std::int64_t rows_ = 0;
    Hash128 sum_;
};

// The names of the user's tables that keep rows in the database: no views,
// no global temporary tables, no external files.
std::vector<std::string> ReadStoredTables(db::DbConnection& connection);

}  // namespace dravik::verify
