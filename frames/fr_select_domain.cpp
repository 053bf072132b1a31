#include "frames/fr_select_domain.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

#include <stdexcept>

namespace dravik::frames {

std::string TFrame_select_domain::ListingSql() const {
    // RDB$n are the columns' implicit domains; a system flag marks the
    // server's own domains (SEC$..., MON$...), which every database has.
    return "select RDB$FIELD_NAME as NAME, RDB$FIELD_NAME as OBJ FROM RDB$FIELDS where RDB$FIELD_NAME not like "
           "'RDB$%' and (RDB$SYSTEM_FLAG is NULL or RDB$SYSTEM_FLAG = 0) order by RDB$FIELD_NAME;";
}

std::string TFrame_select_domain::DomainDeclaration(DbConnection& source, db::DbCursorSet& row) {
    FieldType type = ReadFieldType(row);
    if (!row.FieldByName("RDB$DIMENSIONS").IsNull())
        type.dimensions = ArrayDimensions(source, row.FieldByName("RDB$FIELD_NAME").AsString());
    std::string declaration = DeclareType(source, type, TypeUse::Domain);
    declaration += " " + db::EmbedStoredText(row.FieldByName("RDB$DEFAULT_SOURCE").AsString());
    if (row.FieldByName("RDB$NULL_FLAG").AsInteger() == 1) declaration += " NOT NULL ";
    return declaration;
}

void TFrame_select_domain::PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& listed) {
    const std::string name = TrimRight(listed);
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    plan.Add(Node(NodeKind::Domain, schema::key::Domain(name), {},
                  [this, &s, &d, name] { CreateDomain(s, d, name); }));
    plan.Add(Node(NodeKind::DomainCheck, schema::key::DomainCheck(name), {schema::key::Domain(name)},
                  [this, &s, &d, name] { AddCheck(s, d, name); }));
}

void TFrame_select_domain::CreateDomain(DbConnection& source, DbConnection& destination, const std::string& name) {
    const std::string workingName = " " + name + " ";
    auto query = NewQuery(source, "select * from RDB$FIELDS where RDB$FIELD_NAME=" + SqlString(name));
    db::DbTransaction& sourceTransaction = source.DefaultTransaction();
    // A snapshot the caller holds is the caller's to end.
    const bool ownsSourceTransaction = !sourceTransaction.InTransaction();
    try {
        query->Open();
        if (query->Eof()) throw std::runtime_error("the source has no domain " + name);
        const std::string collation = CollationName(source, query->FieldByName("RDB$COLLATION_ID").AsString(),
                                                    query->FieldByName("RDB$CHARACTER_SET_ID").AsString());
        const std::string collationClause = collation.empty() ? "" : " COLLATE " + QuoteIdentifier(collation);
        ExecStatement(destination, "CREATE DOMAIN " + QuoteIdentifier(name) + " AS " +
                                       DomainDeclaration(source, *query) + collationClause);
        LogOk("DOMAIN", workingName);
        if (ownsSourceTransaction && sourceTransaction.InTransaction()) sourceTransaction.Commit();
    } catch (const std::exception& e) {
        if (ownsSourceTransaction && sourceTransaction.InTransaction()) {
            try {
                sourceTransaction.Rollback();
            } catch (...) {
                // The domain's own error is the one worth reporting.
            }
        }
        LogError("DOMAIN", workingName + e.what());
    }
}

void TFrame_select_domain::AddCheck(DbConnection& source, DbConnection& destination, const std::string& name) {
    try {
        auto query = NewQuery(source, "select RDB$VALIDATION_SOURCE from RDB$FIELDS where RDB$FIELD_NAME=" +
                                          SqlString(name) + " and RDB$VALIDATION_SOURCE is not null");
        query->Open();
        if (query->Eof()) return;
        // The stored source is the whole clause: "CHECK (VALUE ...)".
        const std::string check = db::EmbedStoredText(query->Fields(0).AsString());
        query->Close();
        ExecStatement(destination, "ALTER DOMAIN " + QuoteIdentifier(name) + " ADD " + check);
        LogOk("DOMAIN CHECK", name);
    } catch (const std::exception& e) {
        LogError("DOMAIN CHECK " + name, e.what());
    }
}

}  // namespace dravik::frames
