// Which catalogue items a comparison takes: every one, or those of a copy
// that was asked for some objects only, with or without roles and privileges.
#pragma once

#include "verify/catalogue_items.h"

#include <set>
#include <string>
#include <vector>

namespace dravik::verify {

struct CompareScope {
    // False: every user object is compared. True: only the objects named
    // below (exact names as stored), each with its parts: a table's or
    // view's columns, constraints, indices and triggers, a routine's
    // parameters, a package's routines. Collations and described character
    // sets, which a copy takes only with the objects that use them, are then
    // left out.
    bool picked = false;
    std::set<std::string> relations;  // tables and views
    std::set<std::string> domains, generators, exceptions, procedures, functions, packages, databaseTriggers;
    bool roles = true;  // and the mappings, which a copy takes with them
    bool privileges = true;  // privileges on (and of) objects in the scope
    // The database's default character set (not when the copy was asked for another).
    bool defaultCharacterSet = true;
    // The generators' current values (not when the copy left them at 0).
    bool generatorValues = true;
    // The database's SQL dialect and page size (not when the copy was asked for others).
    bool dialect = true;
    bool pageSize = true;
};

// The items within the scope, in their order.
std::vector<CatalogueItem> ItemsInScope(const std::vector<CatalogueItem>& items, const CompareScope& scope);

}  // namespace dravik::verify
