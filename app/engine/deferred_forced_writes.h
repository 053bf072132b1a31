// Forced (synchronous) writes of the destination, switched off while the job
// builds and fills it and back on at the end. With forced writes every commit
// waits for the disk to write each changed page: every object of the create
// pass commits on its own, and the data copy commits every few hundred rows.
// The destination ends with the mode it was created with, also when the job
// is stopped or fails.
#pragma once

#include "db/db_connection.h"

namespace dravik::engine {

class DeferredForcedWrites {
public:
    // Reads the mode through the attached destination and, when forced
    // writes are on, adds the attach line that switches them off: the
    // caller reconnects the destination for it to take effect.
    explicit DeferredForcedWrites(db::DbConnection& destination);
    ~DeferredForcedWrites();
    DeferredForcedWrites(const DeferredForcedWrites&) = delete;
    DeferredForcedWrites& operator=(const DeferredForcedWrites&) = delete;

    // True when forced writes were on and are being deferred.
    bool Deferred() const { return deferred_; }

    // The destination was reattached with the line: the mode is in its
    // header now, and later attachments leave it alone (switching it while
    // another attachment holds the database open is not safe).
    void TookEffect();

    // Switches forced writes on again through an attachment of its own and,
    // for a file of this machine, flushes it to disk. Does nothing the
    // second time.
    void Restore();

private:
    db::DbConnection& destination_;
    bool deferred_ = false;
};

}  // namespace dravik::engine
