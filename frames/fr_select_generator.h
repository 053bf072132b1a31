// Generators (sequences): created with their initial value and step, and set
// to their value in the source when asked.
#pragma once

#include "frames/fr_select.h"

namespace dravik::frames {

class TFrame_select_generator : public TFrame_select {
public:
    // New generators take the source's current value; the job hands it over
    // from JobSettings::useGeneratorValues when a job starts.
    bool cbGenID = true;

    std::string Title() const override { return "GENERATORS"; }
    std::string SummaryHeading() const override { return "\r\nGenerators"; }
    std::string ListingSql() const override;
    ObjectKind ListedKind() const override { return ObjectKind::Generator; }
    std::string CreateStepCode() const override { return StepOf(NodeKind::Generator); }
    void PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) override;

    // The generator's current value in the source, or "1" when it cannot be read.
    std::string GeneratorValue(DbConnection& source, const std::string& name);

private:
    void CreateGenerator(const schema::SourceCatalogue& catalogue, DbConnection& source, DbConnection& destination,
                         const std::string& name);
};

}  // namespace dravik::frames
