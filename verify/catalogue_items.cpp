#include "verify/catalogue_items.h"

#include "verify/catalogue_readers.h"
#include "verify/read_snapshot.h"

#include <algorithm>
#include <tuple>

namespace dravik::verify {

namespace {

void NumberSharedIdentities(CatalogueItems& items) {
    std::sort(items.begin(), items.end(), [](const CatalogueItem& x, const CatalogueItem& y) {
        return std::tie(x.kind, x.identity, x.definition) < std::tie(y.kind, y.identity, y.definition);
    });
    for (size_t first = 0; first < items.size();) {
        size_t end = first + 1;
        while (end < items.size() && items[end].kind == items[first].kind &&
               items[end].identity == items[first].identity)
            ++end;
        for (size_t i = first + 1; i < end; ++i) items[i].identity += " #" + std::to_string(i - first + 1);
        first = end;
    }
}

}  // namespace

std::vector<CatalogueItem> ReadCatalogueItems(db::DbConnection& connection) {
    ReadSnapshot snapshot(connection);
    CatalogueItems items;
    ReadDatabaseItems(connection, items);
    ReadDomainItems(connection, items);
    ReadRelationItems(connection, items);
    ReadColumnItems(connection, items);
    ReadConstraintItems(connection, items);
    ReadIndexItems(connection, items);
    ReadTriggerItems(connection, items);
    ReadProcedureItems(connection, items);
    ReadFunctionItems(connection, items);
    ReadNamedObjectItems(connection, items);
    ReadPrivilegeItems(connection, items);
    NumberSharedIdentities(items);
    return items;
}

}  // namespace dravik::verify
