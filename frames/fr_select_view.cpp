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
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    plan.Add(Node(NodeKind::View, key, context.Links().Of(key),
                  [this, &s, &d, name] { CreateObject(s, d, name); }));
    PlanRelationTriggers(*this, plan, context, name);
}

void TFrame_select_view::CreateObject(DbConnection& source, DbConnection& destination, const std::string& name) {
    const std::string v = TrimRight(name);
    // A snapshot the caller holds is the caller's to end.
    const bool ownsSourceTransaction = !source.DefaultTransaction().InTransaction();
    auto query = NewQuery(source, "select f.rdb$field_name from  rdb$relation_fields f where f.rdb$relation_name = " +
                                      SqlString(v) + " order by f.rdb$field_position;");
    try {
        query->Open();
        std::string c;
        for (; !query->Eof(); query->Next()) {
            if (!c.empty()) c += ", ";
            c += QuoteIdentifier(query->Fields(0).AsString());
        }
        query->Close();
        query->SetSQL("select f.rdb$view_source from  rdb$relations f where f.rdb$relation_name = " + SqlString(v));
        query->Open();
        const std::string body = query->Eof() ? std::string() : db::EmbedStoredText(query->Fields(0).AsString());
        // The server keeps the text after AS without its leading blanks, so a
        // line break keeps "AS" apart from the first word of the select.
        const bool separated = body.empty() || static_cast<unsigned char>(body.front()) <= ' ';
        const std::string s = "CREATE VIEW " + QuoteIdentifier(v) + "( " + c + " )\r\nAS" + (separated ? "" : "\r\n") + body;
        if (ownsSourceTransaction) source.DefaultTransaction().Commit();
        ExecStatement(destination, s);
        LogOk("CREATE VIEW ", v);
    } catch (const std::exception& e) {
        LogError("CREATE VIEW " + v, e.what());
    }
}

}  // namespace dravik::frames
