// Tables: the listing, CREATE TABLE with every column, and the order of the
// steps of the create and completion passes.
#include "frames/fr_select_table.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

std::string TFrame_select_table::ListingSql() const {
    return "select RDB$RELATION_NAME as NAME, RDB$RELATION_NAME as OBJ FROM RDB$RELATIONS where RDB$SYSTEM_FLAG<>1 "
           "and RDB$VIEW_SOURCE IS NULL order by RDB$RELATION_NAME;";
}

std::string TFrame_select_table::ColumnDeclaration(DbConnection& source, db::DbCursorSet& row) {
    // Duplicate names of the join resolve to RDB$RELATION_FIELDS (the first in
    // the select list): the column's own domain name, default and null flag.
    const std::string domain = row.FieldByName("RDB$FIELD_SOURCE").AsString();
    std::string d;
    if (UpperCase(domain.substr(0, 4)) != "RDB$") {
        d = Trim(domain);
    } else if (db::DbField* computed = row.FindField("RDB$COMPUTED_SOURCE"); computed && !computed->IsNull()) {
        // Stays a computed column; the stored source carries its parentheses.
        d = "COMPUTED BY " + computed->AsString();
    } else {
        d = DeclareType(source, ReadFieldType(row), TypeUse::Column);
    }
    d += " " + Trim(row.FieldByName("RDB$DEFAULT_SOURCE").AsString());
    if (row.FieldByName("RDB$NULL_FLAG").AsInteger() == 1) d += " NOT NULL ";
    return d;
}

void TFrame_select_table::CreateObject(DbConnection& source, DbConnection& destination, const std::string& name) {
    const std::string t = Trim(name);
    {
        auto columns = NewQuery(source, "select f.*, ff.* from RDB$RELATION_FIELDS f, rdb$fields ff where "
                                        "f.rdb$relation_name=" + QuoteLiteral(t) +
                                            " and f.RDB$FIELD_SOURCE=ff.RDB$FIELD_NAME ORDER BY f.rdb$field_position;");
        try {
            columns->Open();
            std::string s = "CREATE TABLE " + t + "(";
            for (; !columns->Eof(); columns->Next()) {
                s += columns->FieldByName("RDB$FIELD_POSITION").AsInteger() <= 0 ? "\r\n\t" : ",\r\n\t";
                s += columns->FieldByName("RDB$FIELD_NAME").AsString() + " " + ColumnDeclaration(source, *columns);
            }
            s += "\r\n);";
            ExecStatement(destination, s);
            LogOk("CREATE TABLE", t);
        } catch (const std::exception& e) {
            LogError("CREATE TABLE " + t, e.what());
        }
    }
    // Tried whether or not the table was made: a missing table fails them
    // with their own error lines.
    CreatePrimaryKey(source, destination, t);
    CreateIndices(source, destination, t);
}

void TFrame_select_table::CompleteObject(DbConnection& source, DbConnection& destination, const std::string& name) {
    CreateTriggers(source, destination, name);
    CreateForeignKeys(source, destination, name);
}

}  // namespace dravik::frames
