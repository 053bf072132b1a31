// The order of a plan: rank order where nothing forces another, dependencies
// moving only what must move, phases apart, cycles still run.
#include "schema/schema_plan.h"

#include <gtest/gtest.h>

#include <memory>

using namespace dravik::schema;

namespace {

std::vector<std::string> Keys(SchemaPlan& plan, Phase phase) {
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
    plan.Add(N("PRC:P", rank::kRoutine, {"REL:T"}));    // TYPE OF COLUMN T.C
    plan.Add(N("PRC:Q", rank::kRoutine));
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

// A routine is made whole where it runs, but as a stub with its body after
// the rows where a cycle runs through it or it reads what comes after them.
TEST(SchemaPlan, RoutinesAreMadeWholeUnlessACycleOrALaterObjectNeedsTheirStub) {
    SchemaPlan plan;
    std::vector<std::string> ran;
    auto routine = [&](std::string key, std::vector<std::string> reads, std::vector<std::string> headerNeeds = {}) {
        PlanNode node = N(key, rank::kRoutine, std::move(reads));
        node.run = [&ran, key] { ran.push_back("whole " + key); };
        auto parts = std::make_shared<SeparableBody>();
        parts->stubNeeds = std::move(headerNeeds);
        parts->stub = [&ran, key] { ran.push_back("stub " + key); };
        parts->body = [&ran, key] { ran.push_back("body " + key); };
        node.separable = parts;
        plan.Add(std::move(node));
    };
    plan.Add(N("REL:T", rank::kTable));
    plan.Add(N("REL:V", rank::kView, {"FUN:F_VIEW"}));
    routine("FUN:F_VIEW", {"REL:V"});                       // a view calls it, it reads the view
    routine("PRC:P_EVEN", {"PRC:P_ODD", "REL:T"}, {"REL:T"});  // they call each other
    routine("PRC:P_ODD", {"PRC:P_EVEN"});
    routine("PRC:P_PLAN", {"REL:T", "IDX:RDB$PRIMARY1"});   // a key's index in a PLAN
    routine("PRC:P_LATE", {"CON:FK"});                      // made after the rows
    routine("PRC:P_LAST", {"REL:V", "PRC:P_EVEN"});         // reads what a cycle holds, on none itself
    routine("PRC:P_FIRST", {});
    plan.Add(N("CON:FK", rank::kForeignKey, {}, Phase::AfterData));
    EXPECT_EQ(Keys(plan, Phase::BeforeData),
              (std::vector<std::string>{"FUN:F_VIEW", "PRC:P_ODD", "PRC:P_PLAN", "PRC:P_LATE", "PRC:P_FIRST", "REL:T",
                                        "PRC:P_EVEN", "REL:V", "PRC:P_LAST"}));
    EXPECT_EQ(Keys(plan, Phase::AfterData),
              (std::vector<std::string>{"BODY:FUN:F_VIEW", "BODY:PRC:P_EVEN", "BODY:PRC:P_ODD",
                                        "BODY:PRC:P_PLAN", "BODY:PRC:P_LATE", "CON:FK"}));
    for (Phase phase : {Phase::BeforeData, Phase::AfterData})
        for (const PlanNode* node : plan.Ordered(phase))
            if (node->run) node->run();
    EXPECT_EQ(ran, (std::vector<std::string>{"stub FUN:F_VIEW", "stub PRC:P_ODD", "stub PRC:P_PLAN",
                                             "stub PRC:P_LATE", "whole PRC:P_FIRST", "stub PRC:P_EVEN",
                                             "whole PRC:P_LAST", "body FUN:F_VIEW", "body PRC:P_EVEN",
                                             "body PRC:P_ODD", "body PRC:P_PLAN", "body PRC:P_LATE"}));
}

}  // namespace
