// Privileges carried over as GRANT statements. Firebird 3 refuses direct
// writes to RDB$USER_PRIVILEGES, so each source row becomes the GRANT that
// makes the same row in the destination; rows the destination cannot or
// need not receive are recognised here.
#pragma once

#include "db/db_connection.h"
#include "db/db_cursor_set.h"

#include <map>
#include <set>
#include <string>

namespace dravik::engine {

// Object kinds of RDB$USER_TYPE and RDB$OBJECT_TYPE.
enum ObjectKind : int {
    kRelation = 0,
    kView = 1,
    kTrigger = 2,
    kProcedure = 5,
    kException = 7,
    kUser = 8,
    kDomain = 9,
    kCharacterSet = 11,
    kUserGroup = 12,
    kRole = 13,
    kGenerator = 14,
    kFunction = 15,
    kCollation = 17,
    kPackage = 18,
    kDatabase = 20,    // DDL privileges: ALTER / DROP DATABASE
    kFirstDdlKind = 21,  // 21..32: CREATE / ALTER ANY / DROP ANY of a kind of object
    kLastDdlKind = 32,
};

// One row of RDB$USER_PRIVILEGES, names trimmed.
struct PrivilegeRow {
    std::string user;      // the grantee
    std::string grantor;   // empty when NULL: a row the engine makes itself
    std::string privilege; // S I U D R X G M C L O
    int grantOption = 0;   // 1 WITH GRANT OPTION, 2 WITH ADMIN OPTION (roles)
    std::string relation;  // the object
    std::string field;     // a column, or empty
    int userType = kUser;
    int objectType = kRelation;
};

PrivilegeRow ReadPrivilegeRow(db::DbCursorSet& row);

// Rows of the engine (no grantor) and rows about system objects (RDB$, MON$,
// SEC$): every database has its own.
bool SystemPrivilege(const PrivilegeRow& row);

// The GRANT statement giving the row's privilege, with GRANTED BY when the
// grantor is not the user running it; "" for a kind of row no GRANT makes.
std::string GrantStatement(const PrivilegeRow& row, const std::string& currentUser);

// A name as a statement writes it: bare when it is a plain upper-case
// identifier, else in double quotes.
std::string SqlName(const std::string& name);

// A database's objects by the kinds privileges name them, and its columns.
// A kind listed nowhere here counts as present.
class ObjectNames {
public:
    explicit ObjectNames(db::DbConnection& connection);

    // The row's object exists: false for a row the engine left behind when
    // its object was renamed or dropped (a domain's usage, for one).
    bool HasObject(const PrivilegeRow& row) const;
    // The object, its column and the grantee (when it is a database object) exist.
    bool ObjectsExist(const PrivilegeRow& row) const;

private:
    bool Exists(int kind, const std::string& name) const;

    std::map<int, std::set<std::string>> names_;
    std::set<std::string> columns_;  // relation + '\n' + column
};

// What the destination already holds: its objects by kind, its privilege
// rows and the user the job writes as. Read once, before the grants.
class DestinationCatalogue : public ObjectNames {
public:
    explicit DestinationCatalogue(db::DbConnection& destination);

    // The destination already has this privilege (same grantee, grantor,
    // object and column, with at least the same option).
    bool Has(const PrivilegeRow& row) const;
    const std::string& CurrentUser() const { return currentUser_; }

private:
    static std::string Key(const PrivilegeRow& row);

    std::map<std::string, int> privileges_;  // Key -> highest grant option
    std::string currentUser_;
};

}  // namespace dravik::engine
