// Whole array values through the client library's slice calls: the element
// type and bounds of an array column, and all its elements read or written
// as one block of bytes in the server's element order.
#pragma once

#include "db/db_connection.h"

#include <ibase.h>

#include <string>

namespace dravik::db {

// True when the loaded client library offers the calls that read arrays
// (isc_array_lookup_bounds, isc_array_get_slice).
bool ArrayReadAvailable();
// True when it also offers isc_array_put_slice, which writes them.
bool ArrayWriteAvailable();

// The element type and bounds of an array column, by table and column name
// as the catalogue stores them.
ISC_ARRAY_DESC LookupArrayBounds(DbConnection& connection, DbTransaction& transaction, const std::string& table,
                                 const std::string& column);

// Bytes of every element of such an array: a varying element takes the
// column's length + 2 bytes and holds its characters ended by a zero byte.
size_t ArrayByteSize(const ISC_ARRAY_DESC& desc);

// Reads the whole array of that id into bytes, reusing their storage.
void ReadArraySlice(DbConnection& connection, DbTransaction& transaction, const ISC_ARRAY_DESC& desc, ISC_QUAD id,
                    std::string& bytes);
// Stores a whole array in the transaction and returns the id a row takes.
ISC_QUAD WriteArraySlice(DbConnection& connection, DbTransaction& transaction, const ISC_ARRAY_DESC& desc,
                         const std::string& bytes);

// True when two array columns hold elements of one type and length in the
// same bounds, so the bytes of one are an array of the other.
bool SameArrayShape(const ISC_ARRAY_DESC& a, const ISC_ARRAY_DESC& b);
// The shape for messages, e.g. "INTEGER[1:5]" or "VARCHAR(40)[0:2, 1:3]"
// (text lengths in bytes).
std::string ArrayShapeText(const ISC_ARRAY_DESC& desc);

}  // namespace dravik::db
