#include "verify/read_snapshot.h"

#include "db/db_error.h"

namespace dravik::verify {

ReadSnapshot::ReadSnapshot(db::DbConnection& connection) : connection_(connection) {
    db::DbTransaction& transaction = connection.DefaultTransaction();
    if (transaction.InTransaction()) return;
    if (!connection.Connected()) throw db::DbClientError::Format(db::DbClientError::kDatabaseClosed);
    // The layer starts its transactions with the server's defaults (read-write);
    // this one is started here with its own parameter buffer and handed to the
    // default transaction, which then ends it like any other.
    static const char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_concurrency, isc_tpb_nowait};
    struct {
        isc_db_handle* database;
        long tpbLength;
        const char* tpb;
    } teb{connection.Handle(), static_cast<long>(sizeof tpb), tpb};
    ISC_STATUS_ARRAY status;
    db::Api().start_multiple(status, transaction.Handle(), 1, &teb);
    db::CheckStatus(status);
    started_ = true;
}

ReadSnapshot::~ReadSnapshot() {
    if (!started_) return;
    try {
        if (connection_.DefaultTransaction().InTransaction()) connection_.DefaultTransaction().Rollback();
    } catch (const db::DbError&) {
        // A lost attachment has nothing left to roll back.
    }
}

}  // namespace dravik::verify
