#include "app/engine/deferred_forced_writes.h"

#include "app/engine/database_location.h"
#include "db/db_query.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace dravik::engine {

namespace {

bool ForcedWritesOn(db::DbConnection& connection) {
    db::DbQuery query(connection, "select MON$FORCED_WRITES from MON$DATABASE");
    query.Open();
    return query.Fields(0).AsInteger() == 1;
}

void FlushFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

constexpr const char* kOff = "FORCE_WRITE=0";

}  // namespace

DeferredForcedWrites::DeferredForcedWrites(db::DbConnection& destination) : destination_(destination) {
    try {
        deferred_ = destination_.Connected() && ForcedWritesOn(destination_);
    } catch (const std::exception&) {
        // The job goes on with forced writes: slower, never wrong.
    }
    if (deferred_) destination_.Params().push_back(kOff);
}

DeferredForcedWrites::~DeferredForcedWrites() {
    try {
        Restore();
    } catch (...) {
        // The destination stays usable with asynchronous writes; nothing to report here.
    }
}

void DeferredForcedWrites::TookEffect() {
    auto& params = destination_.Params();
    params.erase(std::remove(params.begin(), params.end(), std::string(kOff)), params.end());
}

void DeferredForcedWrites::Restore() {
    if (!deferred_) return;
    deferred_ = false;
    TookEffect();
    const auto& params = destination_.Params();
    db::DbConnection switcher;
    switcher.SetDatabaseName(destination_.DatabaseName());
    switcher.Params() = params;
    switcher.Params().push_back("FORCE_WRITE=1");
    switcher.Connect();
    switcher.Disconnect();
    const DatabaseLocation location = LocateDatabase(destination_.DatabaseName());
    if (location.local) FlushFile(location.path);
}

}  // namespace dravik::engine
