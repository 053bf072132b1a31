// The columns of every index, in segment order.
#pragma once

#include "db/db_connection.h"

#include <map>
#include <string>

namespace dravik::verify {

// Index name -> "A, B" (names as stored); expression indices have no entry.
using IndexColumns = std::map<std::string, std::string>;
IndexColumns ReadIndexColumns(db::DbConnection& connection);

// The columns of the index, "" when it has none listed.
std::string ColumnsOf(const IndexColumns& columns, const std::string& index);

}  // namespace dravik::verify
