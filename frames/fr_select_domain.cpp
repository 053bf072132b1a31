#include "frames/fr_select_domain.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

std::string TFrame_select_domain::ListingSql() const {
    // RDB$n are the columns' implicit domains; a system flag marks the
    // server's own domains (SEC$..., MON$...), which every database has.
    return "select RDB$FIELD_NAME as NAME, RDB$FIELD_NAME as OBJ FROM RDB$FIELDS where RDB$FIELD_NAME not like "
           "'RDB$%' and (RDB$SYSTEM_FLAG is NULL or RDB$SYSTEM_FLAG = 0) order by RDB$FIELD_NAME;";
}

std::string TFrame_select_domain::DomainDeclaration(DbConnection& source, db::DbCursorSet& row) {
    std::string declaration = DeclareType(source, ReadFieldType(row), TypeUse::Domain);
    declaration += " " + Trim(row.FieldByName("RDB$DEFAULT_SOURCE").AsString());
    if (row.FieldByName("RDB$NULL_FLAG").AsInteger() == 1) declaration += " NOT NULL ";
    return declaration;
}

void TFrame_select_domain::CreateObject(DbConnection& source, DbConnection& destination, const std::string& name) {
    const std::string workingName = " " + Trim(name) + " ";
    auto query = NewQuery(source, "select * from RDB$FIELDS where RDB$FIELD_NAME=" + QuoteLiteral(Trim(name)));
    db::DbTransaction& sourceTransaction = source.DefaultTransaction();
    try {
        query->Open();
        const std::string collation = CollationName(source, query->FieldByName("RDB$COLLATION_ID").AsString(),
                                                    query->FieldByName("RDB$CHARACTER_SET_ID").AsString());
        const std::string collationClause = collation.empty() ? "" : " COLLATE " + collation;
        ExecStatement(destination,
                      "CREATE DOMAIN " + workingName + " AS " + DomainDeclaration(source, *query) + collationClause);
        LogOk("DOMAIN", workingName);
        if (sourceTransaction.InTransaction()) sourceTransaction.Commit();
    } catch (const std::exception& e) {
        if (sourceTransaction.InTransaction()) {
            try {
                sourceTransaction.Rollback();
            } catch (...) {
                // The domain's own error is the one worth reporting.
            }
        }
        LogError("DOMAIN", workingName + e.what());
    }
}

}  // namespace dravik::frames
