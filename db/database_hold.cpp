#include "db/database_hold.h"

namespace dravik::db {

DatabaseHold::DatabaseHold(const std::string& database, const std::vector<std::string>& attachLines) {
    if (database.empty()) return;
    connection_.SetDatabaseName(database);
    for (const std::string& line : attachLines)
        if (line.rfind("FORCE_WRITE=", 0) != 0) connection_.Params().push_back(line);
    try {
        connection_.Connect();
    } catch (const std::exception&) {
        // Held or not, the attachments that matter work the same.
    }
}

}  // namespace dravik::db
