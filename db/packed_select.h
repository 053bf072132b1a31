// Rows read several to a fetch. Every call into the client and the engine
// costs far more than the engine's reading of one row, so a table's rows are
// read through an EXECUTE BLOCK that hands over up to 32 of them in one wide
// output row: a count column N_, then the slots, each holding one row's
// columns with their own types (TYPE OF COLUMN), so each value reaches the
// client exactly as the plain select gives it.
#pragma once

#include "db/db_connection.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dravik::db {

// The knobs of a packed read, shared by the copy and the comparison.
constexpr int kMostRowsPerFetch = 32;
// A message of the block stays well under the engine's 64 KB.
constexpr std::int64_t kMostFetchBytes = 48000;
// Blob bytes that come inline with a row, shared among its blob columns, and
// the least any one of them gets.
constexpr int kReadInlineBlobBudget = 1024;
constexpr int kLeastReadInlineBlob = 128;

// How many rows one fetch can carry for columns of these byte widths: one when
// a column is an array (PSQL takes none) or a row is too wide to repeat.
// asked (more than 0) caps the answer.
int RowsPerFetch(const std::vector<std::int64_t>& columnBytes, bool anyArray, int asked = 0);

// Below this many rows a table is read by its plain select: compiling the
// block (every column 32 times over) costs more than its fewer fetches save;
// in a test the two broke even at about 4,000 rows.
constexpr int kLeastPackedRows = 4000;

// Whether the table (written as the statement must write it) holds at least
// that many rows in the connection's transaction; counts no further.
bool HoldsAtLeast(DbConnection& connection, const std::string& quotedTable, std::int64_t rows);

// The inline width of each blob column of a row with that many (see
// PackedColumn): kReadInlineBlobBudget shared among them, at least
// kLeastReadInlineBlob each.
int InlineBlobBytes(int blobColumns);

// One column of the block, named as the statement must write it. A blob
// column with inlineBytes also returns, after the slot's columns, a
// VARCHAR(inlineBytes) CHARACTER SET OCTETS holding the blob's bytes when it
// is that short (the blob itself is then NULL): that saves the client the
// blob calls, each a round trip through a server.
struct PackedColumn {
    std::string quotedName;
    int inlineBytes = 0;
};

// The block reading `slots` rows per output row from the table (given as
// the statement must write it). Each slot holds the columns, then the inline
// copies in column order. slots is 1 (and the text empty) when even two
// slots would make a statement text too long for the engine.
struct PackedSelect {
    std::string text;
    int slots = 1;
};
PackedSelect PackedSelectText(const std::string& quotedTable, const std::vector<PackedColumn>& columns, int slots);

}  // namespace dravik::db
