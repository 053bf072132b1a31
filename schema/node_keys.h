// The keys of plan nodes: one per catalogue object, built the same way by
// the node that creates an object and by the nodes that need it.
#pragma once

#include <string>

namespace dravik::schema::key {

inline std::string Relation(const std::string& name) { return "REL:" + name; }  // table or view
inline std::string Procedure(const std::string& name) { return "PRC:" + name; }
inline std::string Function(const std::string& name) { return "FUN:" + name; }  // PSQL or external
inline std::string Package(const std::string& name) { return "PKG:" + name; }
inline std::string Domain(const std::string& name) { return "DOM:" + name; }
inline std::string Generator(const std::string& name) { return "GEN:" + name; }
inline std::string Exception(const std::string& name) { return "EXC:" + name; }
inline std::string Collation(const std::string& name) { return "COL:" + name; }
inline std::string CharacterSet(const std::string& name) { return "CHS:" + name; }
inline std::string Column(const std::string& table, const std::string& column) {
    return "FLD:" + table + "." + column;
}
inline std::string Constraint(const std::string& name) { return "CON:" + name; }
inline std::string Index(const std::string& name) { return "IDX:" + name; }
inline std::string Trigger(const std::string& name) { return "TRG:" + name; }
inline std::string DomainCheck(const std::string& domain) { return "DCK:" + domain; }
inline std::string Body(const std::string& routineKey) { return "BODY:" + routineKey; }
inline std::string Comment(const std::string& objectKey) { return "CMT:" + objectKey; }

// The object's name a key stands for: the key without its prefixes.
std::string NameOf(const std::string& key);

}  // namespace dravik::schema::key
