// A read-only snapshot (concurrency) transaction as a connection's default
// transaction: everything read while it lives sees one consistent state of
// the database and can change nothing.
#pragma once

#include "db/db_connection.h"

namespace dravik::verify {

class ReadSnapshot {
public:
    // Starts the snapshot when the connection has no active transaction; an
    // active one is used as it is and left to its owner.
    explicit ReadSnapshot(db::DbConnection& connection);
    // Rolls back the snapshot it started (there is nothing to keep).
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    db::DbConnection& connection_;
    bool started_ = false;
};

}  // namespace dravik::verify
