#include "app/engine/output_file.h"

#include "app/engine/database_location.h"

#include <sys/stat.h>

#include <cstdint>
#include <fstream>

namespace dravik::engine {

namespace {

// The header page: a 16-byte page head whose first byte is the page type,
// then the page size and the on-disk structure version, both little-endian.
constexpr unsigned char kHeaderPageType = 1;
constexpr size_t kOdsVersionOffset = 18;
constexpr std::uint16_t kFirebirdOdsFlag = 0x8000;

}  // namespace

bool IsFirebirdDatabaseFile(const std::string& path) {
    // Only a regular file is read: a FIFO or a device would block or be consumed.
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    std::ifstream file(path, std::ios::binary);
    unsigned char head[kOdsVersionOffset + 2] = {};
    if (!file.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    const std::uint16_t pageSize = static_cast<std::uint16_t>(head[16] | head[17] << 8);
    const std::uint16_t ods = static_cast<std::uint16_t>(head[kOdsVersionOffset] | head[kOdsVersionOffset + 1] << 8);
    return head[0] == kHeaderPageType && (ods & kFirebirdOdsFlag) != 0 && pageSize >= 1024 &&
           (pageSize & (pageSize - 1)) == 0;
}

std::string RefusedOutputFile(const std::string& role, const std::string& file,
                              const std::vector<std::string>& databases) {
    for (const std::string& database : databases) {
        const DatabaseLocation location = LocateDatabase(database);
        if (!database.empty() && location.local && SameLocalFile(file, location.path))
            return role + " '" + file + "' is the database " + database + ": give another file";
    }
    if (IsFirebirdDatabaseFile(file))
        return role + " '" + file + "' is a Firebird database: give another file";
    return "";
}

}  // namespace dravik::engine
