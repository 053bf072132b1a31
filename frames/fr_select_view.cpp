// Views: recreated from their column names and stored source text, one by
// one in list order.
#include "frames/fr_select_view.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

std::string TFrame_select_view::ListingSql() const {
    return "select RDB$RELATION_NAME as NAME, RDB$RELATION_NAME as OBJ FROM RDB$RELATIONS where RDB$SYSTEM_FLAG<>1 "
           "and RDB$VIEW_SOURCE IS NOT NULL order by RDB$RELATION_NAME;";
}

void TFrame_select_view::CreateObject(DbConnection& source, DbConnection& destination, const std::string& name) {
    const std::string v = UpperCase(Trim(name));
    auto query = NewQuery(source, "select f.rdb$field_name from  rdb$relation_fields f where f.rdb$relation_name = " +
                                      QuoteLiteral(v) + " order by f.rdb$field_position;");
    try {
        query->Open();
        std::string c;
        for (; !query->Eof(); query->Next()) {
            if (!c.empty()) c += ", ";
            c += Trim(query->Fields(0).AsString());
        }
        query->Close();
        query->SetSQL("select f.rdb$view_source from  rdb$relations f where f.rdb$relation_name = " + QuoteLiteral(v));
        query->Open();
        const std::string body = query->Eof() ? std::string() : query->Fields(0).AsString();
        // The server keeps the text after AS without its leading blanks, so a
        // line break keeps "AS" apart from the first word of the select.
        const bool separated = body.empty() || static_cast<unsigned char>(body.front()) <= ' ';
        const std::string s = "CREATE VIEW " + v + "( " + c + " )\r\nAS" + (separated ? "" : "\r\n") + body;
        source.DefaultTransaction().Commit();
        ExecStatement(destination, s);
        LogOk("CREATE VIEW ", v);
    } catch (const std::exception& e) {
        LogError("CREATE VIEW " + v, e.what());
    }
}

}  // namespace dravik::frames
