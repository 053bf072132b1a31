// The schema part of the job: one plan of every picked object of every frame
// (and the collations, comments and database triggers that go with them),
// run phase by phase in dependency order.
#include "app/engine/clone_job.h"
#include "app/engine/object_owners.h"
#include "frames/catalogue_comments.h"
#include "frames/collations.h"
#include "schema/node_keys.h"
#include "schema/node_kinds.h"

#include <algorithm>
#include <cstddef>

namespace dravik::engine {

void TCloneJob::PlanSchema() {
    plan_ = schema::SchemaPlan{};
    frames::PlanContext context(srcDb, dstDb);
    frames::PlanCollations(*this, plan_, context);
    for (frames::TFrame_select* frame : Frames()) frame->PlanSelected(plan_, context);
    frames::PlanComments(plan_, context, *this);
}

namespace {

// The steps of a phase in the frames' order: the indicator walks through each
// of them, also those with nothing to do.
std::vector<std::string> PhaseSteps(const std::vector<frames::TFrame_select*>& frames, schema::Phase phase) {
    std::vector<std::string> steps;
    for (const frames::TFrame_select* frame : frames) {
        const std::string code =
            phase == schema::Phase::BeforeData ? frame->CreateStepCode() : frame->CompleteStepCode();
        if (!code.empty() && phase != schema::Phase::Final) steps.push_back(code);
    }
    return steps;
}

}  // namespace

bool TCloneJob::RunPlan(schema::Phase phase, ObjectOwners* owners) {
    const std::vector<std::string> steps = PhaseSteps(Frames(), phase);
    size_t reached = 0;  // steps shown so far
    std::string shown;
    auto walkTo = [&](const std::string& code) {
        const auto at = std::find(steps.begin(), steps.end(), code);
        for (; at != steps.end() && reached <= static_cast<size_t>(at - steps.begin()); ++reached)
            ShowStep(shown = steps[reached]);
        // A node moved ahead of its kind by a dependency shows its own step.
        if (shown != code) ShowStep(shown = code);
    };
    for (const schema::PlanNode* node : plan_.Ordered(phase)) {
        walkTo(node->stepCode);
        const size_t errorsBefore = report_.errors.size();
        if (owners)
            owners->Run(*node);
        else
            node->run();
        ObjectResult& result = report_.objects.emplace_back();
        result.kind = schema::TraitsOf(node->kind).reportKind;
        result.name = schema::key::NameOf(node->key);
        result.errors.assign(report_.errors.begin() + static_cast<std::ptrdiff_t>(errorsBefore), report_.errors.end());
        ProcessEvents();
        if (Halted()) return false;
    }
    for (; reached < steps.size(); ++reached) ShowStep(steps[reached]);
    return true;
}

}  // namespace dravik::engine
