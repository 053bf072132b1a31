// Stored procedures: each made whole once what it reads exists; where a
// cycle needs it (procedures that call each other), a stub with the full
// header before the rows (after the tables its TYPE OF COLUMN parameters
// name) and the real body after them.
#pragma once

#include "frames/fr_select.h"

namespace dravik::frames {

class TFrame_select_procedure : public TFrame_select {
public:
    std::string Title() const override { return "Procedures"; }
    std::string SummaryHeading() const override { return "\r\nProcedures"; }
    std::string ListingSql() const override;
    ObjectKind ListedKind() const override { return ObjectKind::Procedure; }
    std::string CreateStepCode() const override { return StepOf(NodeKind::Procedure); }
    std::string CompleteStepCode() const override { return StepOf(NodeKind::RoutineBody); }
    // Procedures through PlanObject; the page's other kinds through their own planners.
    void PlanItem(schema::SchemaPlan& plan, PlanContext& context, const TQorListItem& item) override;
    void PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) override;

    // The header from right after the name up to AS: inputs, then RETURNS(outputs).
    // The source names character sets and collations.
    static std::string ParameterList(DbConnection& source, const schema::SourceCatalogue& catalogue,
                                     const std::string& name);

private:
    // Makes the procedure with its body; false, with nothing logged, when that fails.
    bool CreateWhole(const schema::SourceCatalogue& catalogue, DbConnection& source, DbConnection& destination,
                     const std::string& name);
    void CreateStub(const schema::SourceCatalogue& catalogue, DbConnection& source, DbConnection& destination,
                    const std::string& name);
    void CreateBody(const schema::SourceCatalogue& catalogue, DbConnection& source, DbConnection& destination,
                    const std::string& name);
};

}  // namespace dravik::frames
