#include "verify/compare_scope.h"

#include "verify/item_definition.h"

#include <map>
#include <optional>
#include <utility>

namespace dravik::verify {

namespace {

// The value of one attribute of a definition (still escaped), if it has it.
std::optional<std::string> Attribute(const CatalogueItem& item, const std::string& key) {
    for (auto& [name, value] : SplitDefinition(item.definition))
        if (name == key) return value;
    return std::nullopt;
}

bool Has(const std::set<std::string>& names, const std::string& escapedName) {
    for (const std::string& name : names)
        if (EscapeLine(name) == escapedName) return true;
    return false;
}

// The objects of a picked copy that items may belong to, as (kind, escaped
// name): "relation", "domain", "generator", "exception", "procedure",
// "function", "package", "trigger", "role".
class PickedObjects {
public:
    PickedObjects(const std::vector<CatalogueItem>& items, const CompareScope& scope) {
        for (const CatalogueItem& item : items)
            if (item.kind == "package") packages_.insert(item.identity);
        // Tables and views first: the triggers depend on them.
        for (const CatalogueItem& item : items)
            if (item.kind == "table" || item.kind == "view")
                if (Has(scope.relations, EscapeLine(item.identity)))
                    objects_.insert({"relation", EscapeLine(item.identity)});
        for (const CatalogueItem& item : items) {
            const std::string id = EscapeLine(item.identity);
            bool in = false;
            if (item.kind == "domain") in = Has(scope.domains, id);
            else if (item.kind == "generator") in = Has(scope.generators, id);
            else if (item.kind == "exception") in = Has(scope.exceptions, id);
            else if (item.kind == "package") in = Has(scope.packages, id);
            else if (item.kind == "role" || item.kind == "mapping") in = scope.roles;
            else if (item.kind == "procedure") in = RoutineIn(item.identity, scope.procedures, scope);
            else if (item.kind == "function") in = RoutineIn(item.identity, scope.functions, scope);
            else if (item.kind == "trigger") {
                const std::optional<std::string> table = Attribute(item, "table");
                in = table ? Contains("relation", *table) : Has(scope.databaseTriggers, id);
            } else continue;
            if (in) objects_.insert({item.kind, id});
        }
    }

    bool Contains(const std::string& kind, const std::string& name) const { return objects_.count({kind, name}) > 0; }

    // Whether the item, a part of an object or a privilege, goes with the picked objects.
    bool PartIn(const CatalogueItem& item) const {
        if (item.kind == "table" || item.kind == "view") return Contains("relation", EscapeLine(item.identity));
        if (item.kind == "column" || item.kind == "constraint" || item.kind == "index")
            return Contains("relation", Attribute(item, "table").value_or(""));
        if (item.kind == "procedure parameter")
            return Contains("procedure", Attribute(item, "procedure").value_or(""));
        if (item.kind == "function argument") return Contains("function", Attribute(item, "function").value_or(""));
        if (item.kind == "privilege")
            return ObjectIn(Attribute(item, "object type"), Attribute(item, "object")) &&
                   ObjectIn(Attribute(item, "grantee type"), Attribute(item, "grantee"));
        return Contains(item.kind, EscapeLine(item.identity));
    }

private:
    // A packaged routine ("PACKAGE.NAME") goes with its package.
    bool RoutineIn(const std::string& identity, const std::set<std::string>& picked, const CompareScope& scope) const {
        for (const std::string& package : packages_)
            if (identity.rfind(package + ".", 0) == 0) return Has(scope.packages, EscapeLine(package));
        return Has(picked, EscapeLine(identity));
    }

    // Users and groups are always there; objects of the other kinds only when picked.
    bool ObjectIn(const std::optional<std::string>& type, const std::optional<std::string>& name) const {
        if (!type || !name) return false;
        if (*type == "user" || *type == "group") return true;
        if (*type == "table" || *type == "view") return Contains("relation", *name);
        return Contains(*type, *name);
    }

    std::set<std::string> packages_;
    std::set<std::pair<std::string, std::string>> objects_;
};

// The definition without one attribute.
std::string Without(const std::string& definition, const std::string& attribute) {
    std::string kept;
    for (const auto& [key, value] : SplitDefinition(definition))
        if (key != attribute) kept += key + ": " + value + "\n";
    return kept;
}

}  // namespace

std::vector<CatalogueItem> ItemsInScope(const std::vector<CatalogueItem>& items, const CompareScope& scope) {
    const std::optional<PickedObjects> picked =
        scope.picked ? std::optional<PickedObjects>(PickedObjects(items, scope)) : std::nullopt;
    std::vector<CatalogueItem> kept;
    for (const CatalogueItem& item : items) {
        if ((item.kind == "role" || item.kind == "mapping") && !scope.roles) continue;
        if (item.kind == "privilege" && !scope.privileges) continue;
        if (picked && (item.kind == "collation" || item.kind == "character set")) continue;
        if (picked && item.kind != "database" && !picked->PartIn(item)) continue;
        kept.push_back(item);
        for (const auto& [compared, attribute] : {std::pair{scope.defaultCharacterSet, "default character set"},
                                                  std::pair{scope.dialect, "dialect"},
                                                  std::pair{scope.pageSize, "page size"}})
            if (item.kind == "database" && !compared)
                kept.back().definition = Without(kept.back().definition, attribute);
        if (item.kind == "generator" && !scope.generatorValues)
            kept.back().definition = Without(item.definition, "current value");
    }
    return kept;
}

}  // namespace dravik::verify
