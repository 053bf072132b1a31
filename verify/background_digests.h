// The rows of one database's tables digested on a thread of its own while
// the caller goes on with other work: a clone whose rows the server copies
// digests its source meanwhile, on the core the copy leaves idle, and a
// clone digests both sides while the destination gets its keys, indices and
// triggers (work on one core that changes no row), so that its verification
// then reads fewer rows, or none.
#pragma once

#include "db/db_connection.h"
#include "verify/table_digests.h"

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace dravik::verify {

class BackgroundDigests : public DigestsAhead {
public:
    // Digests those of the tables (exact names) that the database stores, in
    // one read-only snapshot, under the key given (the two sides of one
    // comparison share theirs). The connection, attached with character set
    // NONE, is the thread's alone; it is detached when the reading ends.
    BackgroundDigests(std::unique_ptr<db::DbConnection> connection, std::vector<std::string> tables,
                      const DigestKey& key = DigestKey::Fresh());
    // Stops the reading (between two rows) and waits for the thread.
    ~BackgroundDigests();
    BackgroundDigests(const BackgroundDigests&) = delete;
    BackgroundDigests& operator=(const BackgroundDigests&) = delete;

    // The key the rows are digested under, known from the start.
    const DigestKey& Key() const override { return taken_.key; }
    // Waits for the digests, calling whileWaiting now and then (it may raise
    // to end the wait). Null when the reading failed: the comparison then
    // reads those rows itself, and meets the failure there. Once it has
    // returned, the connection is detached.
    const TakenDigests* Take(const std::function<void()>& whileWaiting = {}) override;

private:
    void Read(const std::vector<std::string>& tables);

    std::unique_ptr<db::DbConnection> connection_;
    TakenDigests taken_;
    std::atomic<bool> stop_ = false;
    bool read_ = false;
    std::future<void> reading_;
};

}  // namespace dravik::verify
