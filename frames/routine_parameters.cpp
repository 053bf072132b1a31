#include "frames/routine_parameters.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

namespace {

// RDB$PARAMETER_MECHANISM / RDB$ARGUMENT_MECHANISM of a TYPE OF parameter.
constexpr int kTypeOf = 1;

bool IsNull(const schema::CatalogueRow& row, const char* name) {
    const schema::CatalogueValue* f = row.FindField(name);
    return !f || f->IsNull();
}

}  // namespace

std::string ParameterDeclaration(db::DbConnection& source, const schema::CatalogueRow& row) {
    const std::string domain = TrimRight(row.FieldByName("RDB$FIELD_SOURCE").AsString());
    const bool implicitDomain = db::IsEngineMadeName(domain);
    const schema::CatalogueValue* mechanism = row.FindField("RDB$PARAMETER_MECHANISM");
    if (!mechanism) mechanism = row.FindField("RDB$ARGUMENT_MECHANISM");
    const bool typeOf = mechanism && !mechanism->IsNull() && mechanism->AsInteger() == kTypeOf;

    std::string d;
    if (typeOf && !IsNull(row, "RDB$RELATION_NAME")) {
        d = "TYPE OF COLUMN " + QuoteIdentifier(row.FieldByName("RDB$RELATION_NAME").AsString()) + "." +
            QuoteIdentifier(row.FieldByName("RDB$FIELD_NAME").AsString());
    } else if (typeOf) {
        d = "TYPE OF " + QuoteIdentifier(domain);
    } else if (!implicitDomain) {
        d = QuoteIdentifier(domain);
    } else {
        d = DeclareType(source, ReadFieldType(row), TypeUse::Parameter);
    }
    if (row.FieldByName("RDB$NULL_FLAG").AsInteger() == 1) d += " NOT NULL";
    // A collation of a parameter on a built-in type is kept by its implicit
    // domain; the parameter's own column holds one given over a domain.
    std::string collationId;
    if (!IsNull(row, "RDB$COLLATION_ID")) collationId = row.FieldByName("RDB$COLLATION_ID").AsString();
    if (collationId.empty() && implicitDomain && !typeOf && !IsNull(row, "DOMAIN_COLLATION_ID"))
        collationId = row.FieldByName("DOMAIN_COLLATION_ID").AsString();
    if (!collationId.empty() && collationId != "0") {
        const std::string name =
            CollationName(source, collationId, IsNull(row, "RDB$CHARACTER_SET_ID")
                                                   ? std::string()
                                                   : row.FieldByName("RDB$CHARACTER_SET_ID").AsString());
        if (!name.empty()) d += " COLLATE " + QuoteIdentifier(name);
    }
    if (!IsNull(row, "RDB$DEFAULT_SOURCE")) d += " " + db::EmbedStoredText(row.FieldByName("RDB$DEFAULT_SOURCE").AsString());
    return d;
}

void AppendParameter(std::string& list, const std::string& item) {
    list += (list.empty() ? "\t" : ",\r\n\t") + item;
}

}  // namespace dravik::frames
