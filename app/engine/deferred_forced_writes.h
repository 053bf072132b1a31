// Forced (synchronous) writes of the destination, switched off for the bulk
// copy of rows and back on afterwards. With forced writes every intermediate
// commit waits for the disk to write each changed page again; without them a
// copy runs at the speed of a restore. The destination ends with the mode it
// was created with, also when the copy is stopped or fails.
#pragma once

#include "db/db_connection.h"

namespace dravik::engine {

class DeferredForcedWrites {
public:
    // Reads the mode through the attached destination; when forced writes are
    // on, adds the attach line that switches them off at its next connect.
    explicit DeferredForcedWrites(db::DbConnection& destination);
    ~DeferredForcedWrites();
    DeferredForcedWrites(const DeferredForcedWrites&) = delete;
    DeferredForcedWrites& operator=(const DeferredForcedWrites&) = delete;

    // Switches forced writes on again through a second attachment and, for a
    // file of this machine, flushes it to disk. Does nothing the second time.
    void Restore();

private:
    db::DbConnection& destination_;
    bool deferred_ = false;
};

}  // namespace dravik::engine
