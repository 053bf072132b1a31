// The objects of one clone as nodes with dependencies, put in one order that
// satisfies them: each node runs only after the nodes it depends on. Among
// the nodes that are free to run, the one of the earliest kind (its rank) and
// then the earliest added runs first, so a catalogue without dependencies
// across kinds keeps the familiar order (functions, domains, generators,
// exceptions, procedures, tables, views) and only what must move moves.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dravik::schema {

// When a node runs: before the rows are copied, after them, or last of all,
// once roles and privileges exist too (database and DDL triggers, which
// would fire on the clone's own statements and commits).
enum class Phase { BeforeData, AfterData, Final };

// What a node makes (see node_kinds.h, which also gives each kind its phase,
// rank and step code).
enum class NodeKind;

// The ranks of the kinds, in the order they run when nothing forces another
// (node_kinds.cpp gives them to the kinds).
namespace rank {
constexpr int kExternalFunction = 10;
constexpr int kCollation = 15;
constexpr int kDomain = 20;
constexpr int kGenerator = 30;
constexpr int kException = 40;
constexpr int kRoutine = 50;
constexpr int kTable = 60;
constexpr int kComputedColumn = 65;
constexpr int kPrimaryKey = 70;
constexpr int kUniqueKey = 72;
constexpr int kIndex = 74;
constexpr int kView = 80;
// After the rows.
constexpr int kRoutineBody = 100;
constexpr int kDomainCheck = 105;
constexpr int kTableCheck = 110;
constexpr int kTrigger = 120;
constexpr int kForeignKey = 130;
constexpr int kComment = 140;
// Last of all.
constexpr int kDatabaseTrigger = 200;
}  // namespace rank

// How a routine is made when it cannot be made whole where its node runs:
// its header with an empty body (the stub) in the node's place, and its body
// after the rows. Needed when the routine is on a dependency cycle (it calls
// itself through others, or a view or computed column it reads reads it), or
// when it reads what is made after the rows (an index its PLAN names).
struct SeparableBody {
    std::vector<std::string> stubNeeds;  // what the header alone depends on
    std::function<void()> stub;
    std::function<void()> body;
};

struct PlanNode {
    NodeKind kind{};
    std::string key;                     // unique, e.g. "REL:CUSTOMER", "CMP:T.C"
    Phase phase = Phase::BeforeData;
    int rank = 0;
    std::string stepCode;                // shown by the step indicator while it runs
    std::vector<std::string> dependsOn;  // keys; a key no node has is ignored
    std::function<void()> run;           // builds and executes the object; logs its own lines
    std::shared_ptr<const SeparableBody> separable;  // a routine whose run makes it whole
};

class SchemaPlan {
public:
    void Add(PlanNode node);
    bool Has(const std::string& key) const { return Find(key) != nullptr; }
    const PlanNode* Find(const std::string& key) const;
    // The nodes of one phase in running order. Dependencies on nodes of the
    // other phase are ignored (the phases run in their own order). Nodes on a
    // dependency cycle keep their rank order after everything else of their
    // phase: each is still tried and fails with its own error. First, once
    // after the last Add, each separable routine that cannot be made whole
    // becomes its stub, and a node for its body joins the nodes after the rows.
    std::vector<const PlanNode*> Ordered(Phase phase);
    size_t Size() const { return nodes_.size(); }

private:
    void SeparateBodiesWhereNeeded();

    std::vector<PlanNode> nodes_;
    bool settled_ = true;  // no node added since the bodies were separated
};

}  // namespace dravik::schema
