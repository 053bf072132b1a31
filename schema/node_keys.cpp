#include "schema/node_keys.h"

#include <array>
#include <string>

namespace dravik::schema::key {

namespace {

// The prefixes of the keys above; the deferred parts (a routine's body, a
// comment) put theirs before the key of the object they belong to.
constexpr std::array<const char*, 16> kPrefixes{"REL:", "PRC:", "FUN:", "PKG:", "DOM:", "GEN:", "EXC:", "COL:",
                                                "CHS:", "FLD:", "CON:", "IDX:", "TRG:", "BODY:", "CMT:", "DCK:"};

}  // namespace

std::string NameOf(const std::string& key) {
    std::string name = key;
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (const char* prefix : kPrefixes)
            if (name.rfind(prefix, 0) == 0) {
                name.erase(0, std::char_traits<char>::length(prefix));
                stripped = true;
            }
    }
    return name;
}

}  // namespace dravik::schema::key
