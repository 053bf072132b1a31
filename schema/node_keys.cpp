#include "schema/node_keys.h"

#include <array>
#include <utility>

namespace dravik::schema::key {

namespace {

// Prefixes and their kinds; the deferred parts (a routine's body, a comment)
// name the kind of the part, not of the object it belongs to.
constexpr std::array<std::pair<const char*, const char*>, 15> kKinds{{
    {"REL:", "table or view"},
    {"PRC:", "procedure"},
    {"FUN:", "function"},
    {"PKG:", "package"},
    {"DOM:", "domain"},
    {"GEN:", "generator"},
    {"EXC:", "exception"},
    {"COL:", "collation"},
    {"FLD:", "computed column"},
    {"CON:", "constraint"},
    {"IDX:", "index"},
    {"TRG:", "trigger"},
    {"BODY:", "routine body"},
    {"CMT:", "comment"},
    {"DCK:", "domain check"},
}};

}  // namespace

std::string KindOf(const std::string& key) {
    for (const auto& [prefix, kind] : kKinds)
        if (key.rfind(prefix, 0) == 0) return kind;
    return "other";
}

std::string NameOf(const std::string& key) {
    std::string name = key;
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (const auto& [prefix, kind] : kKinds)
            if (name.rfind(prefix, 0) == 0) {
                name.erase(0, std::char_traits<char>::length(prefix));
                stripped = true;
            }
    }
    return name;
}

}  // namespace dravik::schema::key
