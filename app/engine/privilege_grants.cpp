#include "app/engine/privilege_grants.h"

#include "frames/declareSQL.h"

#include <algorithm>
#include <functional>

namespace dravik::engine {

using frames::Trim;

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool SystemName(const std::string& name) {
    return StartsWith(name, "RDB$") || StartsWith(name, "MON$") || StartsWith(name, "SEC$");
}

// "TO ..." part: the grantee with its kind.
std::string Grantee(const PrivilegeRow& row) {
    const std::string name = SqlName(row.user);
    switch (row.userType) {
        case kUser: return row.user == "PUBLIC" ? "PUBLIC" : "USER " + name;
        case kView: return "VIEW " + name;
        case kTrigger: return "TRIGGER " + name;
        case kProcedure: return "PROCEDURE " + name;
        case kUserGroup: return "GROUP " + name;
        case kRole: return "ROLE " + name;
        case kFunction: return "FUNCTION " + name;
        case kPackage: return "PACKAGE " + name;
        default: return {};
    }
}

// The kinds of object a DDL privilege is about, in object-type order from 21.
const char* DdlKind(int objectType) {
    static const char* const kinds[] = {"TABLE",     "VIEW",      "PROCEDURE", "FUNCTION",      "PACKAGE",   "GENERATOR",
                                        "DOMAIN",    "EXCEPTION", "ROLE",      "CHARACTER SET", "COLLATION", "FILTER"};
    if (objectType < kFirstDdlKind || objectType > kLastDdlKind) return nullptr;
    return kinds[objectType - kFirstDdlKind];
}

std::string TablePrivilege(const std::string& privilege) {
    if (privilege == "S") return "SELECT";
    if (privilege == "I") return "INSERT";
    if (privilege == "U") return "UPDATE";
    if (privilege == "D") return "DELETE";
    if (privilege == "R") return "REFERENCES";
    return {};
}

// What is granted: "SELECT ON TABLE T", "UPDATE(C) ON TABLE T",
// "EXECUTE ON PROCEDURE P", "CREATE TABLE", ...; "" when no GRANT has it.
std::string PrivilegeClause(const PrivilegeRow& row) {
    const std::string object = SqlName(row.relation);
    const std::string& p = row.privilege;
    switch (row.objectType) {
        case kRelation: {
            const std::string keyword = TablePrivilege(p);
            if (keyword.empty()) return {};
            // Appended rather than "(" + ...: GCC 12 at -O3 misreads a literal
            // put before a temporary string as an overlapping copy (-Wrestrict).
            const std::string column =
                row.field.empty() ? "" : std::string("(").append(SqlName(row.field)).append(")");
            return keyword + column + " ON TABLE " + object;
        }
        case kProcedure: return p == "X" ? "EXECUTE ON PROCEDURE " + object : "";
        case kFunction: return p == "X" ? "EXECUTE ON FUNCTION " + object : "";
        case kPackage: return p == "X" ? "EXECUTE ON PACKAGE " + object : "";
        case kGenerator: return p == "G" ? "USAGE ON GENERATOR " + object : "";
        case kException: return p == "G" ? "USAGE ON EXCEPTION " + object : "";
        case kDatabase: return p == "L" ? "ALTER DATABASE" : p == "O" ? "DROP DATABASE" : "";
        default: break;
    }
    const char* kind = DdlKind(row.objectType);
    if (!kind) return {};
    if (p == "C") return std::string("CREATE ") + kind;
    if (p == "L") return std::string("ALTER ANY ") + kind;
    if (p == "O") return std::string("DROP ANY ") + kind;
    return {};
}

}  // namespace

PrivilegeRow ReadPrivilegeRow(db::DbCursorSet& row) {
    PrivilegeRow p;
    p.user = frames::TrimRight(row.FieldByName("RDB$USER").AsString());
    p.grantor = frames::TrimRight(row.FieldByName("RDB$GRANTOR").AsString());
    p.privilege = Trim(row.FieldByName("RDB$PRIVILEGE").AsString());
    p.grantOption = row.FieldByName("RDB$GRANT_OPTION").AsInteger();
    p.relation = frames::TrimRight(row.FieldByName("RDB$RELATION_NAME").AsString());
    p.field = frames::TrimRight(row.FieldByName("RDB$FIELD_NAME").AsString());
    p.userType = row.FieldByName("RDB$USER_TYPE").AsInteger();
    p.objectType = row.FieldByName("RDB$OBJECT_TYPE").AsInteger();
    return p;
}

bool SystemPrivilege(const PrivilegeRow& row) {
    return row.grantor.empty() || SystemName(row.relation) || SystemName(row.user);
}

std::string SqlName(const std::string& name) { return db::QuoteIdentifier(name); }

std::string GrantStatement(const PrivilegeRow& row, const std::string& currentUser) {
    const std::string grantee = Grantee(row);
    if (grantee.empty()) return {};
    std::string sql;
    if (row.privilege == "M") {
        if (row.objectType != kRole) return {};
        sql = "GRANT " + SqlName(row.relation) + " TO " + grantee;
        if (row.grantOption != 0) sql += " WITH ADMIN OPTION";
    } else {
        const std::string what = PrivilegeClause(row);
        if (what.empty()) return {};
        sql = "GRANT " + what + " TO " + grantee;
        if (row.grantOption != 0) sql += " WITH GRANT OPTION";
    }
    if (!row.grantor.empty() && row.grantor != currentUser) sql += " GRANTED BY " + SqlName(row.grantor);
    return sql;
}

ObjectNames::ObjectNames(db::DbConnection& connection) {
    const std::pair<int, const char*> lists[] = {
        {kRelation, "select RDB$RELATION_NAME from RDB$RELATIONS"},
        {kTrigger, "select RDB$TRIGGER_NAME from RDB$TRIGGERS"},
        {kProcedure, "select RDB$PROCEDURE_NAME from RDB$PROCEDURES"},
        {kException, "select RDB$EXCEPTION_NAME from RDB$EXCEPTIONS"},
        {kRole, "select RDB$ROLE_NAME from RDB$ROLES"},
        {kGenerator, "select RDB$GENERATOR_NAME from RDB$GENERATORS"},
        {kFunction, "select RDB$FUNCTION_NAME from RDB$FUNCTIONS"},
        {kPackage, "select RDB$PACKAGE_NAME from RDB$PACKAGES"},
        {kDomain, "select RDB$FIELD_NAME from RDB$FIELDS"},
        {kCharacterSet, "select RDB$CHARACTER_SET_NAME from RDB$CHARACTER_SETS"},
        {kCollation, "select RDB$COLLATION_NAME from RDB$COLLATIONS"},
    };
    for (const auto& [kind, sql] : lists)
        db::ForEachRow(connection, sql, [&](db::DbCursorSet& row) { names_[kind].insert(Trim(row.Fields(0).AsString())); });
    db::ForEachRow(connection, "select RDB$RELATION_NAME, RDB$FIELD_NAME from RDB$RELATION_FIELDS",
               [&](db::DbCursorSet& row) {
                   columns_.insert(Trim(row.Fields(0).AsString()) + '\n' + Trim(row.Fields(1).AsString()));
               });
}

bool ObjectNames::Exists(int kind, const std::string& name) const {
    const auto list = names_.find(kind == kView ? kRelation : kind);
    return list == names_.end() || list->second.count(name) > 0;
}

bool ObjectNames::HasObject(const PrivilegeRow& row) const {
    return row.objectType >= kDatabase || Exists(row.objectType, row.relation);
}

bool ObjectNames::ObjectsExist(const PrivilegeRow& row) const {
    const bool columnExists = row.field.empty() || columns_.count(row.relation + '\n' + row.field) > 0;
    const bool granteeExists = row.userType == kUser || row.userType == kUserGroup || Exists(row.userType, row.user);
    return HasObject(row) && columnExists && granteeExists;
}

DestinationCatalogue::DestinationCatalogue(db::DbConnection& destination) : ObjectNames(destination) {
    db::ForEachRow(destination, "select * from RDB$USER_PRIVILEGES", [&](db::DbCursorSet& row) {
        const PrivilegeRow p = ReadPrivilegeRow(row);
        int& option = privileges_[Key(p)];
        option = std::max(option, p.grantOption);
    });
    db::ForEachRow(destination, "select CURRENT_USER from RDB$DATABASE",
               [&](db::DbCursorSet& row) { currentUser_ = Trim(row.Fields(0).AsString()); });
}

std::string DestinationCatalogue::Key(const PrivilegeRow& row) {
    return row.user + '\n' + row.grantor + '\n' + row.privilege + '\n' + row.relation + '\n' + row.field + '\n' +
           std::to_string(row.userType) + '\n' + std::to_string(row.objectType);
}

bool DestinationCatalogue::Has(const PrivilegeRow& row) const {
    const auto found = privileges_.find(Key(row));
    return found != privileges_.end() && found->second >= row.grantOption;
}

}  // namespace dravik::engine
