// A table's rows copied by the destination's server itself: an EXECUTE BLOCK
// there reads the source with EXECUTE STATEMENT ... ON EXTERNAL and inserts
// every row where it is, so no row crosses the wire. With both databases on
// one server the source is opened inside that server's process.
//
// The external statement runs in a transaction of the source's that lives as
// long as the destination's transaction (WITH COMMON TRANSACTION) and has its
// isolation, a snapshot: every table copied within one destination
// transaction is read at one moment. The caller therefore commits once,
// after the last table.
#pragma once

#include "db/db_connection.h"

#include <cstdint>
#include <functional>
#include <string>

namespace dravik::frames {

// The source as the destination's server reaches it.
struct ExternalSource {
    std::string database;  // a path or alias on that server
    std::string user;      // empty: the destination's own user
    std::string password;
};

struct ServerCopyOutcome {
    bool copied = false;      // false: nothing copied, the rows must go another way
    std::int64_t rows = 0;    // rows the destination holds
    std::string why;          // why the server could not copy them
};

// Copies the rows of the table (one name on both sides) in the destination's
// current transaction, writing a progress line every `interval` rows (and
// the last one with `last`). A stop seen at a progress line ends the copy:
// the rows copied so far stay (the server may have run ahead of the lines). When the server refuses, the table is left
// empty and the outcome says why; a failure of the surroundings (see
// db::DbEnvironmentError) is raised.
ServerCopyOutcome CopyRowsByServer(db::DbConnection& source, db::DbConnection& destination,
                                   const std::string& table, const ExternalSource& from, int interval,
                                   const std::function<bool()>& stopRequested,
                                   const std::function<void(std::int64_t rows, bool last)>& progress);

}  // namespace dravik::frames
