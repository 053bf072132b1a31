// An idle attachment that keeps a database open in this process's engine
// while it lives: attachments to it that come and go meanwhile (a job
// reattaching with another code page) then find it open, instead of the
// engine closing it at each last detach (its page cache written out) and
// opening it again. Attach lines that change the database (forced writes)
// are left out of its own. A hold that cannot attach is empty: nothing
// depends on it but the time.
#pragma once

#include "db/db_connection.h"

#include <string>
#include <vector>

namespace dravik::db {

class DatabaseHold {
public:
    // An empty name holds nothing.
    DatabaseHold(const std::string& database, const std::vector<std::string>& attachLines);

private:
    DbConnection connection_;
};

}  // namespace dravik::db
