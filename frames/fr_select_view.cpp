// Views: recreated from their column names and stored source text, after the
// tables, views and routines they read; their triggers after the rows.
#include "frames/fr_select_view.h"

#include "frames/declareSQL.h"
#include "frames/relation_triggers.h"
#include "schema/node_keys.h"

namespace dravik::frames {

std::string TFrame_select_view::ListingSql() const {
    return "select RDB$RELATION_NAME as NAME, RDB$RELATION_NAME as OBJ FROM RDB$RELATIONS where RDB$SYSTEM_FLAG<>1 "
           "and RDB$VIEW_SOURCE IS NOT NULL order by RDB$RELATION_NAME;";
}

void TFrame_select_view::PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& listed) {
    const std::string name = TrimRight(listed);
    const std::string key = schema::key::Relation(name);
    DbConnection& d = context.destination;
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    plan.Add(Node(NodeKind::View, key, context.Links().Of(key),
                  [this, &d, catalogue, name] { CreateView(*catalogue, d, name); }));
    PlanRelationTriggers(*this, plan, context, name);
}

void TFrame_select_view::CreateView(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                                    const std::string& name) {
    const std::string v = TrimRight(name);
    try {
        const schema::CatalogueRelation* view = catalogue.Relation(v);
        std::string c;
        for (const schema::CatalogueRow& column : view ? view->columns : std::vector<schema::CatalogueRow>{}) {
            if (!c.empty()) c += ", ";
            c += QuoteIdentifier(column.FieldByName("RDB$FIELD_NAME").AsString());
        }
        const std::string body = view ? db::EmbedStoredText(view->viewSource.AsString()) : std::string();
        // The server keeps the text after AS without its leading blanks, so a
        // line break keeps "AS" apart from the first word of the select.
        const bool separated = body.empty() || static_cast<unsigned char>(body.front()) <= ' ';
        const std::string s = "CREATE VIEW " + QuoteIdentifier(v) + "( " + c + " )\r\nAS" + (separated ? "" : "\r\n") + body;
        ExecStatement(destination, s);
        LogOk("CREATE VIEW ", v);
    } catch (const std::exception& e) {
        LogError("CREATE VIEW " + v, e.what());
    }
}

}  // namespace dravik::frames
