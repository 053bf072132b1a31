#include "schema/node_kinds.h"

#include <array>

namespace dravik::schema {

namespace {

constexpr const char* kTableOrView = "table or view";
constexpr const char* kConstraint = "constraint";

// In the order of NodeKind.
constexpr std::array<NodeKindTraits, 25> kTraits{{
    {Phase::BeforeData, rank::kExternalFunction, "M_UDF", "function"},
    {Phase::BeforeData, rank::kCollation, "M_DOM", "collation"},
    {Phase::BeforeData, rank::kCollation, "M_DOM", "character set"},
    {Phase::BeforeData, rank::kDomain, "M_DOM", "domain"},
    {Phase::BeforeData, rank::kGenerator, "M_GEN", "generator"},
    {Phase::BeforeData, rank::kException, "M_EXC", "exception"},
    {Phase::BeforeData, rank::kRoutine, "M_PRC", "procedure"},
    {Phase::BeforeData, rank::kRoutine, "M_PRC", "function"},
    {Phase::BeforeData, rank::kRoutine, "M_PRC", "package"},
    {Phase::BeforeData, rank::kTable, "M_TAB", kTableOrView},
    {Phase::BeforeData, rank::kComputedColumn, "M_TAB", "computed column"},
    {Phase::BeforeData, rank::kPrimaryKey, "M_TAB", kConstraint},
    {Phase::BeforeData, rank::kIndex, "M_TAB", "index"},
    {Phase::BeforeData, rank::kView, "M_VIW", kTableOrView},
    {Phase::AfterData, rank::kRoutineBody, "A_PRC", "routine body"},
    {Phase::AfterData, rank::kPrimaryKey, "A_TRG", kConstraint},
    {Phase::AfterData, rank::kUniqueKey, "A_TRG", kConstraint},
    {Phase::AfterData, rank::kIndex, "A_TRG", "index"},
    {Phase::AfterData, rank::kDomainCheck, "A_TRG", "domain check"},
    {Phase::AfterData, rank::kTableCheck, "A_TRG", kConstraint},
    {Phase::AfterData, rank::kTrigger, "A_TRG", "trigger"},
    {Phase::AfterData, rank::kForeignKey, "A_TRG", kConstraint},
    {Phase::AfterData, rank::kComment, "A_TRG", "comment"},
    {Phase::Final, rank::kComment, "A_TRG", "comment"},
    {Phase::Final, rank::kDatabaseTrigger, "A_TRG", "trigger"},
}};
static_assert(kTraits.size() == static_cast<size_t>(NodeKind::DatabaseTrigger) + 1);

}  // namespace

const NodeKindTraits& TraitsOf(NodeKind kind) { return kTraits.at(static_cast<size_t>(kind)); }

PlanNode Node(NodeKind kind, std::string key, std::vector<std::string> dependsOn, std::function<void()> run) {
    const NodeKindTraits& traits = TraitsOf(kind);
    PlanNode node;
    node.kind = kind;
    node.key = std::move(key);
    node.phase = traits.phase;
    node.rank = traits.rank;
    node.stepCode = traits.stepCode;
    node.dependsOn = std::move(dependsOn);
    node.run = std::move(run);
    return node;
}

}  // namespace dravik::schema
