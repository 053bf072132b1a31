// A database's schema as a list of comparable items: every user object and
// sub-object (column, parameter, constraint, privilege...) with an identity
// that is the same in any faithful copy of the database, and a definition
// text holding everything that must be equal in the copy.
//
// Left out is what the engine makes up by itself and a copy may legitimately
// get differently: ids, BLR, formats, owners, security classes, and the
// names the engine makes up (db::IsEngineMadeName: RDB$n, INTEG_n,
// RDB$PRIMARYn, RDB$FOREIGNn, CHECK_n). An
// item whose own name is generated gets an identity that says what it is
// ("PRIMARY KEY on T (A, B)", "CHECK on T: check (A > 0)").
//
// Names are taken exactly as stored, only the trailing blanks of CHAR
// columns trimmed, so quoted mixed-case names stay apart. The connection
// should use character set NONE so texts arrive as their stored bytes.
#pragma once

#include "db/db_connection.h"

#include <string>
#include <vector>

namespace dravik::verify {

struct CatalogueItem {
    std::string kind;        // "domain", "column", "constraint", ...
    std::string identity;    // "D_AMOUNT", "T.C", "PRIMARY KEY on T (A)"
    std::string definition;  // "key: value" lines (see ItemDefinition)

    bool operator==(const CatalogueItem&) const = default;
};

// Every item of the database, sorted by kind then identity. Two items that
// would share an identity (two unnamed foreign keys alike in every way) are
// told apart by a " #2", " #3"... suffix after sorting on their definitions.
// Reads in the connection's active transaction, or else in a read-only
// snapshot of its own.
std::vector<CatalogueItem> ReadCatalogueItems(db::DbConnection& connection);

}  // namespace dravik::verify
