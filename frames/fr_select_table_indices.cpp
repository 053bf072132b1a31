// A table's own indices (those no key owns), each its own node: columns or
// expression, unique, descending, and inactive when the source's is. An
// active index is built after the rows, by one sort; an inactive one is made
// on the empty table, where it costs nothing and a unique one cannot fail on
// the duplicates it may cover.
#include "frames/fr_select_table.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

#include <algorithm>
#include <stdexcept>

namespace dravik::frames {

void TFrame_select_table::PlanIndices(schema::SchemaPlan& plan, PlanContext& context, const std::string& t) {
    struct Found {
        std::string name;
        bool inactive;
    };
    // A key's index is made by its constraint (only keys' indices get names
    // the engine makes).
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    std::vector<Found> indices;
    if (const schema::CatalogueRelation* relation = catalogue->Relation(t)) {
        std::vector<std::string> ofKeys;
        for (const schema::CatalogueConstraint& c : relation->constraints) ofKeys.push_back(c.index);
        for (const std::string& name : relation->indices) {
            const schema::CatalogueIndex& index = *catalogue->Index(name);
            if (index.system || db::IsEngineMadeName(name) ||
                std::find(ofKeys.begin(), ofKeys.end(), name) != ofKeys.end())
                continue;
            indices.push_back({name, index.inactive});
        }
    }
    DbConnection& d = context.destination;
    for (const Found& found : indices) {
        const std::string& index = found.name;
        const std::string key = schema::key::Index(index);
        std::vector<std::string> dependsOn = context.Links().Of(key);
        dependsOn.push_back(schema::key::Relation(t));
        plan.Add(Node(found.inactive ? NodeKind::InactiveIndex : NodeKind::Index, key, std::move(dependsOn),
                      [this, &d, catalogue, t, index] { CreateIndex(*catalogue, d, t, index); }));
    }
}

void TFrame_select_table::CreateIndex(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                                      const std::string& t, const std::string& index) {
    try {
        const schema::CatalogueIndex* found = catalogue.Index(index);
        if (!found) throw std::runtime_error("the source has no index " + index);
        const std::string u = found->unique ? " UNIQUE" : "";
        const std::string d = found->descending ? " DESCENDING" : "";
        const std::string on = found->expression.IsNull()
                                   ? "(" + IndexColumns(catalogue, index) + ")"
                                   : " COMPUTED BY " + db::EmbedStoredText(found->expression.AsString());
        ExecStatement(destination, "CREATE" + u + d + " INDEX " + QuoteIdentifier(index) + " ON " +
                                       QuoteIdentifier(t) + on + ";");
        if (found->inactive) ExecStatement(destination, "ALTER INDEX " + QuoteIdentifier(index) + " INACTIVE;");
        LogOk("INDEX " + t, index);
    } catch (const std::exception& e) {
        LogError("INDEX" + t, e.what());
    }
}

}  // namespace dravik::frames
