// A table's user indices, recreated under their source names after its
// primary key and before its rows are copied.
#include "frames/fr_select_table.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

void TFrame_select_table::CreateIndices(DbConnection& source, DbConnection& destination, const std::string& table) {
    const std::string t = Trim(table);
    // A primary or foreign key named by its author has an index of the same
    // name; the key steps recreate it with the constraint, so it is left out
    // here (creating it first would make the constraint fail, or fail itself).
    auto indices = NewQuery(source, "SELECT * from RDB$INDICES where RDB$RELATION_NAME=" + QuoteLiteral(t) +
                                        " and RDB$INDEX_NAME not like 'RDB$%'"
                                        " and not exists (select 1 from RDB$RELATION_CONSTRAINTS c"
                                        " where c.RDB$INDEX_NAME = RDB$INDICES.RDB$INDEX_NAME"
                                        " and c.RDB$CONSTRAINT_TYPE in ('PRIMARY KEY', 'FOREIGN KEY'))"
                                        " order by RDB$INDEX_NAME;");
    auto segments = NewQuery(source, "");
    try {
        indices->Open();
        indices->FetchAll();
        for (; !indices->Eof(); indices->Next()) {
            const std::string i = Trim(indices->FieldByName("RDB$INDEX_NAME").AsString());
            const std::string c =
                ColumnList(*segments, "select rdb$field_name as name  from rdb$index_segments  where rdb$index_name=" +
                                          QuoteLiteral(i) + " order by rdb$field_position asc;");
            const std::string u = indices->FieldByName("RDB$UNIQUE_FLAG").AsInteger() == 1 ? " UNIQUE" : "";
            const std::string d = indices->FieldByName("RDB$INDEX_TYPE").AsInteger() == 1 ? " DESCENDING" : "";
            ExecStatement(destination, "CREATE" + u + d + " INDEX " + i + " ON " + t + "(" + c + ");");
            LogOk("INDEX " + t, i);
        }
    } catch (const std::exception& e) {
        LogError("INDEX" + t, e.what());
    }
}

}  // namespace dravik::frames
