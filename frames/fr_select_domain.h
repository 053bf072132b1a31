// Domains: one CREATE DOMAIN per domain, from its RDB$FIELDS row; a domain's
// CHECK is added after the rows are copied, so rows the source holds are
// never refused by a check added to it later.
#pragma once

#include "frames/fr_select.h"
#include "schema/source_catalogue.h"

namespace dravik::frames {

class TFrame_select_domain : public TFrame_select {
public:
    std::string Title() const override { return "Domain"; }
    std::string SummaryHeading() const override { return "\r\nDomains"; }
    std::string ListingSql() const override;
    ObjectKind ListedKind() const override { return ObjectKind::Domain; }
    std::string CreateStepCode() const override { return StepOf(NodeKind::Domain); }
    void PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) override;

    // What follows " AS " in the statement, without the collation and the check.
    // The source names character sets and collations.
    static std::string DomainDeclaration(DbConnection& source, const schema::SourceCatalogue& catalogue,
                                         const schema::CatalogueRow& domain);

private:
    void CreateDomain(const schema::SourceCatalogue& catalogue, DbConnection& source, DbConnection& destination,
                      const std::string& name);
    void AddCheck(const schema::SourceCatalogue& catalogue, DbConnection& destination, const std::string& name);
};

}  // namespace dravik::frames
