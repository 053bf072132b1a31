// Small stateless helpers every object frame uses: literals, query and
// statement objects bound to a connection, one-statement execution with its
// own commit, character set and collation names, type keywords, and free
// constraint names.
#pragma once

#include "db/db_query.h"
#include "db/db_table.h"
#include "db/sql_text.h"
#include "schema/catalogue_row.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dravik::frames {

using db::DbConnection;
using db::DbQuery;
using db::DbStatement;
using db::DbTable;

using db::QuoteIdentifier;
using db::SqlString;
using db::Trim;
using db::TrimRight;
using db::UpperCase;

std::unique_ptr<DbQuery> NewQuery(DbConnection& connection, const std::string& sql);
// The rows of a table (written as a statement must write it) in the
// connection's transaction.
std::int64_t CountRows(DbConnection& connection, const std::string& quotedTable);
std::unique_ptr<DbStatement> NewStatement(DbConnection& connection, const std::string& sql);
std::unique_ptr<DbTable> NewTable(DbConnection& connection, const std::string& tableName);

// Executes one statement in the default transaction and commits it (unless
// its commits are held); on failure rolls back and raises the same error.
void ExecStatement(DbConnection& connection, const std::string& sql);

// The character set's name, or "" (empty id, or no such set).
std::string CharsetName(DbConnection& connection, const std::string& charsetId);
// The collation's name within a character set, or "" (empty id, or none).
std::string CollationName(DbConnection& connection, const std::string& collationId, const std::string& charsetId);

// The keyword of an RDB$FIELD_TYPE code, or "" for a code without one.
std::string TypeName(int typeCode);

// A constraint name not yet used in the database: the wanted name, then that
// name followed by "_1", "_2", ...
std::string UniqueConstraintName(DbConnection& connection, const std::string& wanted);

}  // namespace dravik::frames

namespace dravik::frames {

// The RDB$FIELDS (or argument) columns that make up a type.
struct FieldType {
    int type = 0;          // RDB$FIELD_TYPE
    int subType = 0;       // RDB$FIELD_SUB_TYPE
    int length = 0;        // RDB$FIELD_LENGTH, bytes
    int precision = 0;     // RDB$FIELD_PRECISION
    int scale = 0;         // RDB$FIELD_SCALE, 0 or negative
    int segmentLength = 0; // RDB$SEGMENT_LENGTH
    std::string characterLength;  // RDB$CHARACTER_LENGTH as text, "" when NULL
    std::string charsetId;        // RDB$CHARACTER_SET_ID as text, "" when NULL
    std::string dimensions;       // array bounds as the catalogue gives them, "" for a scalar
};

// Reads the type columns of a catalogue row (or a cursor's current row) by
// name; absent or NULL columns read as 0 / "".
FieldType ReadFieldType(const schema::CatalogueRow& row);
FieldType ReadFieldType(db::DbCursorSet& row);

// Where a declaration is used: the clauses differ slightly.
enum class TypeUse {
    Domain,     // CREATE DOMAIN ... AS <type>
    Column,     // a column on a built-in type
    Parameter,  // a procedure parameter
    Argument,   // an external function's argument or result (CSTRING, bare BLOB)
};

// The exact declaration of a type as the source stores it: SMALLINT, INTEGER,
// BIGINT, NUMERIC(p,s), DECIMAL(p,s), FLOAT, DOUBLE PRECISION, DATE, TIME,
// TIMESTAMP, CHAR(n), VARCHAR(n), BOOLEAN, BLOB SUB_TYPE n SEGMENT SIZE m,
// followed by " CHARACTER SET  " (two blanks, as the declarations have always
// been written) + CharsetName for texts; "" for a type code
// that has no declaration. The lookup connection names the character set.
std::string DeclareType(DbConnection& lookup, const FieldType& type, TypeUse use);

}  // namespace dravik::frames
