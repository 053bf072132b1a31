// Whole array values of one column, read by column name through the access
// layer's slice calls (db/array_slices).
#pragma once

#include "db/db_connection.h"

#include <ibase.h>

#include <string>

namespace dravik::verify {

class ArraySliceReader {
public:
    // True when the loaded client library offers the calls that read arrays.
    static bool Available();

    // Looks up the element type and bounds of the column (names as stored).
    ArraySliceReader(db::DbConnection& connection, const std::string& table, const std::string& column);

    // The bytes of every element of the array, in the server's element order.
    const std::string& Read(ISC_QUAD id);

private:
    db::DbConnection& connection_;
    ISC_ARRAY_DESC desc_{};
    std::string bytes_;
};

}  // namespace dravik::verify
