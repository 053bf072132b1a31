// Primary keys (create pass) and foreign keys (completion pass), each added
// by its own ALTER TABLE under a constraint name still free in the destination.
#include "frames/fr_select_table.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

std::string TFrame_select_table::ColumnList(db::DbQuery& segments, const std::string& sql) {
    segments.Close();
    segments.SetSQL(sql);
    segments.Open();
    std::string list;
    for (; !segments.Eof(); segments.Next()) {
        if (!list.empty()) list += ", ";
        list += Trim(segments.Fields(0).AsString());
    }
    return list;
}

std::string TFrame_select_table::ReferentialRule(const std::string& storedRule) {
    const std::string rule = Trim(storedRule);
    const std::string upper = UpperCase(rule);
    if (upper == "CASCADE" || upper == "SET NULL" || upper == "SET DEFAULT") return rule;
    return "NO ACTION";
}

void TFrame_select_table::CreatePrimaryKey(DbConnection& source, DbConnection& destination, const std::string& table) {
    const std::string t = Trim(table);
    // The outer query is made first so that it is freed last: it ends the
    // source transaction it started once the segment query is closed.
    auto keys = NewQuery(source, "select distinct RDB$CONSTRAINT_NAME, RDB$INDEX_NAME from RDB$RELATION_CONSTRAINTS "
                                 "where RDB$RELATION_NAME=" + QuoteLiteral(t) +
                                     " and RDB$CONSTRAINT_TYPE='PRIMARY KEY' order by RDB$CONSTRAINT_NAME;");
    auto segments = NewQuery(source, "");
    try {
        keys->Open();
        keys->FetchAll();
        for (; !keys->Eof(); keys->Next()) {
            const std::string n =
                UniqueConstraintName(destination, Trim(keys->FieldByName("RDB$CONSTRAINT_NAME").AsString()));
            const std::string c = ColumnList(
                *segments, "select rdb$field_name as name  from rdb$index_segments  where rdb$index_name=" +
                               QuoteLiteral(Trim(keys->FieldByName("RDB$INDEX_NAME").AsString())) +
                               " order by rdb$field_position asc;");
            ExecStatement(destination, "alter table " + t + " add constraint " + n + " primary key(" + c + ");");
            LogOk("PRIMARY KEY " + t, n);
        }
    } catch (const std::exception& e) {
        LogError("PRIMARY KEY " + t, e.what());
    }
}

void TFrame_select_table::CreateForeignKeys(DbConnection& source, DbConnection& destination, const std::string& table) {
    const std::string t = Trim(table);
    auto keys = NewQuery(source, "select ff.*, r.RDB$RELATION_NAME as REF_TABLE from RDB$RELATION_CONSTRAINTS f, "
                                 "RDB$REF_CONSTRAINTS ff, RDB$RELATION_CONSTRAINTS r where f.RDB$RELATION_NAME=" +
                                     QuoteLiteral(t) +
                                     " and f.RDB$CONSTRAINT_TYPE='FOREIGN KEY'"
                                     " and f.RDB$CONSTRAINT_NAME = ff.RDB$CONSTRAINT_NAME"
                                     " and ff.RDB$CONST_NAME_UQ=r.RDB$CONSTRAINT_NAME"
                                     " order by ff.RDB$CONSTRAINT_NAME;");
    auto segments = NewQuery(source, "");
    // The columns of a constraint's index, in segment order.
    auto constraintColumns = [&](const std::string& constraint) {
        return ColumnList(*segments, "select f.rdb$field_name as name  from rdb$index_segments f, "
                                     "rdb$relation_constraints ff where ff.rdb$constraint_name=" +
                                         QuoteLiteral(constraint) +
                                         " and ff.rdb$index_name = f.rdb$index_name"
                                         " order by f.rdb$field_position asc;");
    };
    try {
        keys->Open();
        keys->FetchAll();
        for (; !keys->Eof(); keys->Next()) {
            const std::string k = Trim(keys->FieldByName("RDB$CONSTRAINT_NAME").AsString());
            const std::string l = constraintColumns(k);
            const std::string r = constraintColumns(Trim(keys->FieldByName("RDB$CONST_NAME_UQ").AsString()));
            const std::string n = UniqueConstraintName(destination, k);
            const std::string s = "\r\n\talter table " + t + " add constraint " + n + " foreign key(" + l + ")" +
                                  "\r\n\t\t references " + Trim(keys->FieldByName("REF_TABLE").AsString()) + "(" +
                                  r + ")" + "\r\n\t\t ON UPDATE " +
                                  ReferentialRule(keys->FieldByName("RDB$UPDATE_RULE").AsString()) +
                                  "\r\n\t\t ON DELETE " +
                                  ReferentialRule(keys->FieldByName("RDB$DELETE_RULE").AsString()) + ";";
            ExecStatement(destination, s);
            LogOk("FOREIGN KEY " + t, n);
        }
    } catch (const std::exception& e) {
        LogError("FOREIGN KEY " + t, e.what());
    }
}

}  // namespace dravik::frames
