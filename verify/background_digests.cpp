#include "verify/background_digests.h"

#include "verify/read_snapshot.h"

#include <chrono>
#include <exception>
#include <set>
#include <utility>

namespace dravik::verify {

BackgroundDigests::BackgroundDigests(std::unique_ptr<db::DbConnection> connection, std::vector<std::string> tables,
                                     const DigestKey& key)
    : connection_(std::move(connection)) {
    taken_.key = key;
    reading_ = std::async(std::launch::async, [this, tables = std::move(tables)] { Read(tables); });
}

BackgroundDigests::~BackgroundDigests() {
    stop_ = true;
    if (reading_.valid()) reading_.wait();
}

void BackgroundDigests::Read(const std::vector<std::string>& tables) {
    struct Detach {
        db::DbConnection& connection;
        ~Detach() {
            try {
                connection.Disconnect();
            } catch (...) {
                // A lost attachment has nothing left to detach.
            }
        }
    } detach{*connection_};
    ReadSnapshot snapshot(*connection_);
    const std::vector<std::string> stored = ReadStoredTables(*connection_);
    const std::set<std::string> storedNames(stored.begin(), stored.end());
    const StoredColumnsOfTables known(*connection_);
    for (const std::string& table : tables)
        if (storedNames.count(table))
            taken_.tables[table] = DigestTable(*connection_, table, taken_.key, 0, {}, &stop_, &known);
}

const TakenDigests* BackgroundDigests::Take(const std::function<void()>& whileWaiting) {
    if (reading_.valid()) {
        while (reading_.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
            if (whileWaiting) whileWaiting();
        try {
            reading_.get();
            read_ = true;
        } catch (const std::exception&) {
            read_ = false;
        }
    }
    return read_ ? &taken_ : nullptr;
}

}  // namespace dravik::verify
