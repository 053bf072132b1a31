// A table's own indices (those no key owns), each its own node: columns or
// expression, unique, descending, and inactive when the source's is. An
// active index is built after the rows, by one sort; an inactive one is made
// on the empty table, where it costs nothing and a unique one cannot fail on
// the duplicates it may cover.
#include "frames/fr_select_table.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

#include <stdexcept>

namespace dravik::frames {

void TFrame_select_table::PlanIndices(schema::SchemaPlan& plan, PlanContext& context, const std::string& t) {
    struct Found {
        std::string name;
        bool inactive;
    };
    std::vector<Found> indices;
    {
        // A key's index is made by its constraint (only keys' indices get
        // names the engine makes).
        db::KeptQuery query(context.source,
                            "SELECT RDB$INDEX_NAME, coalesce(RDB$INDEX_INACTIVE, 0) from RDB$INDICES i "
                            "where RDB$RELATION_NAME=? "
                            "and coalesce(RDB$SYSTEM_FLAG, 0) = 0 and not exists (select 1 from "
                            "RDB$RELATION_CONSTRAINTS c where c.RDB$INDEX_NAME = i.RDB$INDEX_NAME) "
                            "order by RDB$INDEX_NAME",
                            {t});
        for (query->Open(); !query->Eof(); query->Next()) {
            const std::string name = TrimRight(query->Fields(0).AsString());
            if (!db::IsEngineMadeName(name)) indices.push_back({name, query->Fields(1).AsInteger() == 1});
        }
    }
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    for (const Found& found : indices) {
        const std::string& index = found.name;
        const std::string key = schema::key::Index(index);
        std::vector<std::string> dependsOn = context.Links().Of(key);
        dependsOn.push_back(schema::key::Relation(t));
        plan.Add(Node(found.inactive ? NodeKind::InactiveIndex : NodeKind::Index, key, std::move(dependsOn),
                      [this, &s, &d, t, index] { CreateIndex(s, d, t, index); }));
    }
}

void TFrame_select_table::CreateIndex(DbConnection& source, DbConnection& destination, const std::string& t,
                                      const std::string& index) {
    try {
        db::KeptQuery row(source, "select RDB$UNIQUE_FLAG, RDB$INDEX_TYPE, RDB$INDEX_INACTIVE, "
                                  "RDB$EXPRESSION_SOURCE from RDB$INDICES where RDB$INDEX_NAME=?",
                          {index});
        row->Open();
        if (row->Eof()) throw std::runtime_error("the source has no index " + index);
        const std::string u = row->Fields(0).AsInteger() == 1 ? " UNIQUE" : "";
        const std::string d = row->Fields(1).AsInteger() == 1 ? " DESCENDING" : "";
        const bool inactive = row->Fields(2).AsInteger() == 1;
        const std::string on = row->Fields(3).IsNull() ? "(" + IndexColumns(source, index) + ")"
                                                       : " COMPUTED BY " + db::EmbedStoredText(row->Fields(3).AsString());
        row->Close();
        ExecStatement(destination, "CREATE" + u + d + " INDEX " + QuoteIdentifier(index) + " ON " +
                                       QuoteIdentifier(t) + on + ";");
        if (inactive) ExecStatement(destination, "ALTER INDEX " + QuoteIdentifier(index) + " INACTIVE;");
        LogOk("INDEX " + t, index);
    } catch (const std::exception& e) {
        LogError("INDEX" + t, e.what());
    }
}

}  // namespace dravik::frames
