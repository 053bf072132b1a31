// Exceptions: created with their message.
#pragma once

#include "frames/fr_select.h"

namespace dravik::frames {

class TFrame_select_exception : public TFrame_select {
public:
    std::string Title() const override { return "Exceptions"; }
    std::string SummaryHeading() const override { return "\r\nExceptions"; }
    std::string ListingSql() const override;
    ObjectKind ListedKind() const override { return ObjectKind::Exception; }
    std::string CreateStepCode() const override { return StepOf(NodeKind::Exception); }
    void PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) override;

private:
    void CreateException(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                         const std::string& name);
};

}  // namespace dravik::frames
