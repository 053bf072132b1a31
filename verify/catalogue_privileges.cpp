// Privileges and role memberships. Left out are the rows the engine makes by
// itself: its grants without a grantor (on its own objects, and the
// database owner's), every privilege of an object's owner on it (made when
// the object is created, for whoever creates it in a copy), and the usage of
// the implicit RDB$n domains and identity generators, whose names differ in
// any copy (rows the engine also leaves behind when it drops them). Left out
// too are rows on an object that no longer exists (the engine leaves a
// domain's usage behind when the domain is renamed and dropped): a copy
// cannot hold them, and a backup and restore drops them.
#include "db/sql_text.h"
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"
#include "verify/item_definition.h"

#include <map>
#include <optional>
#include <set>
#include <utility>

namespace dravik::verify {

namespace {

// RDB$OBJECT_TYPE and RDB$USER_TYPE codes.
std::string ObjectType(int type) {
    switch (type) {
        case 0: return "table";
        case 1: return "view";
        case 2: return "trigger";
        case 5: return "procedure";
        case 7: return "exception";
        case 8: return "user";
        case 9: return "domain";
        case 11: return "character set";
        case 12: return "group";
        case 13: return "role";
        case 14: return "generator";
        case 15: return "function";
        case 17: return "collation";
        case 18: return "package";
        default: return "object type " + std::to_string(type);
    }
}

std::string Privilege(const std::string& letter) {
    if (letter == "S") return "SELECT";
    if (letter == "I") return "INSERT";
    if (letter == "U") return "UPDATE";
    if (letter == "D") return "DELETE";
    if (letter == "R") return "REFERENCES";
    if (letter == "X") return "EXECUTE";
    if (letter == "G") return "USAGE";
    if (letter == "M") return "MEMBERSHIP";
    if (letter == "C") return "CREATE";
    if (letter == "L") return "ALTER";
    if (letter == "O") return "DROP";
    return letter;
}

constexpr int kDomainObject = 9;
constexpr int kGeneratorObject = 14;

// Every object with its type code as privileges name it, and its owner.
constexpr const char* kObjects =
    "SELECT 0 AS T, RDB$RELATION_NAME AS N, RDB$OWNER_NAME AS O FROM RDB$RELATIONS "
    "UNION ALL SELECT 1, RDB$RELATION_NAME, RDB$OWNER_NAME FROM RDB$RELATIONS "
    "UNION ALL SELECT 5, RDB$PROCEDURE_NAME, RDB$OWNER_NAME FROM RDB$PROCEDURES "
    "WHERE RDB$PACKAGE_NAME IS NULL "
    "UNION ALL SELECT 7, RDB$EXCEPTION_NAME, RDB$OWNER_NAME FROM RDB$EXCEPTIONS "
    "UNION ALL SELECT 9, RDB$FIELD_NAME, RDB$OWNER_NAME FROM RDB$FIELDS "
    "UNION ALL SELECT 11, RDB$CHARACTER_SET_NAME, RDB$OWNER_NAME FROM RDB$CHARACTER_SETS "
    "UNION ALL SELECT 13, RDB$ROLE_NAME, RDB$OWNER_NAME FROM RDB$ROLES "
    "UNION ALL SELECT 14, RDB$GENERATOR_NAME, RDB$OWNER_NAME FROM RDB$GENERATORS "
    "UNION ALL SELECT 15, RDB$FUNCTION_NAME, RDB$OWNER_NAME FROM RDB$FUNCTIONS "
    "WHERE RDB$PACKAGE_NAME IS NULL "
    "UNION ALL SELECT 17, RDB$COLLATION_NAME, RDB$OWNER_NAME FROM RDB$COLLATIONS "
    "UNION ALL SELECT 18, RDB$PACKAGE_NAME, RDB$OWNER_NAME FROM RDB$PACKAGES";
// The object types kObjects lists: a row on one of them needs its object.
const std::set<int> kListedObjectTypes = {0, 1, 5, 7, 9, 11, 13, 14, 15, 17, 18};
constexpr int kUserType = 8;

}  // namespace

void ReadPrivilegeItems(db::DbConnection& connection, CatalogueItems& items) {
    // Objects and owners are read once and looked up here: joined in the
    // query, every privilege row would search each of their tables.
    std::map<std::pair<int, std::string>, std::optional<std::string>> owners;
    ForEachCatalogueRow(connection, kObjects, [&](db::DbCursorSet& row) {
        owners.emplace(std::pair{row.FieldByName("T").AsInteger(), FieldName(row, "N")},
                       FieldText(row.FieldByName("O")));
    });
    ForEachCatalogueRow(connection,
               "SELECT p.RDB$USER AS U, p.RDB$USER_TYPE AS UT, p.RDB$PRIVILEGE AS PRIV, "
               "p.RDB$RELATION_NAME AS OBJ, p.RDB$OBJECT_TYPE AS OT, p.RDB$FIELD_NAME AS FLD, "
               "COALESCE(p.RDB$GRANT_OPTION, 0) AS \"grant option\" FROM RDB$USER_PRIVILEGES p "
               "WHERE p.RDB$GRANTOR IS NOT NULL",
               [&](db::DbCursorSet& row) {
                   const int objectType = row.FieldByName("OT").AsInteger();
                   const std::string object = FieldName(row, "OBJ");
                   const std::string grantee = FieldName(row, "U");
                   const int granteeType = row.FieldByName("UT").AsInteger();
                   const auto found = owners.find({objectType, object});
                   if (found == owners.end()) {
                       if (kListedObjectTypes.count(objectType)) return;  // on an object that is gone
                   } else if (granteeType == kUserType && found->second == grantee) {
                       return;  // the owner's own
                   }
                   if ((objectType == kDomainObject || objectType == kGeneratorObject) &&
                       db::IsEngineMadeName(object))
                       return;
                   const std::string field = FieldName(row, "FLD");
                   const std::string identity = Privilege(FieldName(row, "PRIV")) + " on " + ObjectType(objectType) +
                                                " " + object + (field.empty() ? "" : "." + field) + " to " +
                                                ObjectType(granteeType) + " " + grantee;
                   ItemDefinition definition;
                   definition.AddDescribedFields(row);
                   // The identity's parts, for comparisons scoped to some objects.
                   definition.Add("object type", ObjectType(objectType));
                   definition.Add("object", object);
                   definition.Add("grantee type", ObjectType(granteeType));
                   definition.Add("grantee", grantee);
                   items.push_back({"privilege", identity, definition.Text()});
               });
}

}  // namespace dravik::verify
