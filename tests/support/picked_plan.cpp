#include "support/picked_plan.h"

#include "frames/plan_context.h"

namespace dravik::test {

PickedPlan::PickedPlan(db::DbConnection& source, db::DbConnection& destination,
                       std::initializer_list<frames::TFrame_select*> frames)
    : frames_(frames) {
    frames::PlanContext context(source, destination);
    for (frames::TFrame_select* frame : frames_) frame->PlanSelected(plan_, context);
}

void PickedPlan::Run(schema::Phase phase) {
    for (const schema::PlanNode* node : plan_.Ordered(phase)) {
        node->run();
        if (!frames_.empty() && frames_.front()->CheckStop()) return;
    }
}

PickedPlan PlanOnly(db::DbConnection& source, db::DbConnection& destination, frames::TFrame_select& frame,
                    std::initializer_list<std::string> names) {
    frame.btn_deselectAllClick();
    for (const std::string& name : names)
        if (!frame.Select(name)) frame.dstList.Add(name, name, frame.ListedKind());
    return PickedPlan(source, destination, {&frame});
}

}  // namespace dravik::test
