// The plain (non-unique, non-constraint) indices of a destination table,
// switched off while its rows are copied and rebuilt afterwards in one sort,
// which costs far less than keeping them up to date row by row. Unique
// indices stay active so that a duplicate row is still refused row by row.
#pragma once

#include "db/db_connection.h"

#include <string>
#include <utility>
#include <vector>

namespace dravik::frames {

class DeferredIndices {
public:
    // Deactivates the table's active plain indices; any failure leaves them as they were.
    DeferredIndices(db::DbConnection& destination, const std::string& table);
    ~DeferredIndices();
    DeferredIndices(const DeferredIndices&) = delete;
    DeferredIndices& operator=(const DeferredIndices&) = delete;

    // Rebuilds every index switched off; returns (index, message) for each that failed.
    std::vector<std::pair<std::string, std::string>> Restore();

private:
    db::DbConnection& destination_;
    std::vector<std::string> deferred_;
};

}  // namespace dravik::frames
