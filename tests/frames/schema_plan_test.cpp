// The order of a plan: rank order where nothing forces another, dependencies
// moving only what must move, phases apart, cycles still run.
#include "schema/schema_plan.h"

#include <gtest/gtest.h>

using namespace dravik::schema;

namespace {

std::vector<std::string> Keys(const SchemaPlan& plan, Phase phase) {
    std::vector<std::string> keys;
    for (const PlanNode* node : plan.Ordered(phase)) keys.push_back(node->key);
    return keys;
}

PlanNode N(std::string key, int rank, std::vector<std::string> deps = {}, Phase phase = Phase::BeforeData) {
    PlanNode node;
    node.key = std::move(key);
    node.rank = rank;
    node.dependsOn = std::move(deps);
    node.phase = phase;
    return node;
}

TEST(SchemaPlan, DependenciesMoveOnlyWhatMustMoveAndCyclesStillRun) {
    SchemaPlan plan;
    plan.Add(N("REL:A_VIEW", rank::kView, {"REL:B_VIEW"}));  // a view over a view that sorts later
    plan.Add(N("REL:B_VIEW", rank::kView, {"REL:T"}));
    plan.Add(N("REL:T", rank::kTable));
    plan.Add(N("PRC:P", rank::kRoutineStub, {"REL:T"}));    // TYPE OF COLUMN T.C
    plan.Add(N("PRC:Q", rank::kRoutineStub));
    plan.Add(N("DOM:D", rank::kDomain, {"NOT:PLANNED"}));    // unknown keys are ignored
    plan.Add(N("GEN:G", rank::kGenerator));
    plan.Add(N("CON:FK", rank::kForeignKey, {"REL:T"}, Phase::AfterData));
    EXPECT_EQ(Keys(plan, Phase::BeforeData),
              (std::vector<std::string>{"DOM:D", "GEN:G", "PRC:Q", "REL:T", "PRC:P", "REL:B_VIEW", "REL:A_VIEW"}));
    EXPECT_EQ(Keys(plan, Phase::AfterData), std::vector<std::string>{"CON:FK"});
    EXPECT_TRUE(plan.Has("PRC:P"));
    EXPECT_FALSE(plan.Has("NOT:PLANNED"));

    SchemaPlan cycle;
    cycle.Add(N("REL:X", rank::kView, {"REL:Y"}));
    cycle.Add(N("REL:Y", rank::kView, {"REL:X"}));
    cycle.Add(N("REL:Z", rank::kView, {"REL:Y"}));
    cycle.Add(N("REL:T", rank::kTable));
    EXPECT_EQ(Keys(cycle, Phase::BeforeData), (std::vector<std::string>{"REL:T", "REL:X", "REL:Y", "REL:Z"}));
}

}  // namespace
