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

std::string TFrame_select_domain::DomainDeclaration(DbConnection& source, const schema::SourceCatalogue& catalogue,
                                                   const schema::CatalogueRow& domain) {
    FieldType type = ReadFieldType(domain);
    if (!domain.FieldByName("RDB$DIMENSIONS").IsNull())
        type.dimensions = catalogue.ArrayDimensions(domain.Name("RDB$FIELD_NAME"));
    std::string declaration = DeclareType(source, type, TypeUse::Domain);
    declaration += " " + db::EmbedStoredText(domain.FieldByName("RDB$DEFAULT_SOURCE").AsString());
    if (domain.FieldByName("RDB$NULL_FLAG").AsInteger() == 1) declaration += " NOT NULL ";
    return declaration;
}

void TFrame_select_domain::PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& listed) {
    const std::string name = TrimRight(listed);
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    plan.Add(Node(NodeKind::Domain, schema::key::Domain(name), {},
                  [this, &s, &d, catalogue, name] { CreateDomain(*catalogue, s, d, name); }));
    plan.Add(Node(NodeKind::DomainCheck, schema::key::DomainCheck(name), {schema::key::Domain(name)},
                  [this, &d, catalogue, name] { AddCheck(*catalogue, d, name); }));
}

void TFrame_select_domain::CreateDomain(const schema::SourceCatalogue& catalogue, DbConnection& source,
                                        DbConnection& destination, const std::string& name) {
    const std::string workingName = " " + name + " ";
    try {
        const schema::CatalogueRow* domain = catalogue.Domain(name);
        if (!domain) throw std::runtime_error("the source has no domain " + name);
        const std::string collation = CollationName(source, domain->FieldByName("RDB$COLLATION_ID").AsString(),
                                                    domain->FieldByName("RDB$CHARACTER_SET_ID").AsString());
        const std::string collationClause = collation.empty() ? "" : " COLLATE " + QuoteIdentifier(collation);
        ExecStatement(destination, "CREATE DOMAIN " + QuoteIdentifier(name) + " AS " +
                                       DomainDeclaration(source, catalogue, *domain) + collationClause);
        LogOk("DOMAIN", workingName);
    } catch (const std::exception& e) {
        LogError("DOMAIN", workingName + e.what());
    }
}

void TFrame_select_domain::AddCheck(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                                    const std::string& name) {
    try {
        const schema::CatalogueRow* domain = catalogue.Domain(name);
        if (!domain || domain->FieldByName("RDB$VALIDATION_SOURCE").IsNull()) return;
        // The stored source is the whole clause: "CHECK (VALUE ...)".
        const std::string check = db::EmbedStoredText(domain->FieldByName("RDB$VALIDATION_SOURCE").AsString());
        ExecStatement(destination, "ALTER DOMAIN " + QuoteIdentifier(name) + " ADD " + check);
        LogOk("DOMAIN CHECK", name);
    } catch (const std::exception& e) {
        LogError("DOMAIN CHECK " + name, e.what());
    }
}

}  // namespace dravik::frames
