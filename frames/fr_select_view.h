// Views: recreated from their stored source text, in list order.
#pragma once

#include "frames/fr_select.h"

namespace dravik::frames {

class TFrame_select_view : public TFrame_select {
public:
    std::string Title() const override { return "Views"; }
    std::string SummaryHeading() const override { return "\r\nViews"; }
    std::string ListingSql() const override;
    ObjectKind ListedKind() const override { return ObjectKind::View; }
    std::string CreateStepCode() const override { return StepOf(NodeKind::View); }
    void PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) override;

private:
    void CreateView(const schema::SourceCatalogue& catalogue, DbConnection& destination, const std::string& name);
};

}  // namespace dravik::frames
