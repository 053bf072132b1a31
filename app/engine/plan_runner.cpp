// The schema part of the job: one plan of every picked object of every frame
// (and the collations, comments and database triggers that go with them),
// run phase by phase in dependency order.
#include "app/engine/clone_job.h"
#include "app/engine/object_owners.h"
#include "frames/catalogue_comments.h"
#include "frames/collations.h"
#include "frames/source_table_prefetch.h"
#include "schema/node_keys.h"
#include "schema/node_kinds.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace dravik::engine {

void TCloneJob::PlanSchema() {
    plan_ = schema::SchemaPlan{};
    frames::PlanContext context(srcDb, dstDb);
    if (sourceModel_) context.Adopt(*std::exchange(sourceModel_, std::nullopt));
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

// Consecutive nodes of a phase run in one destination transaction, so that
// the engine does the work it defers to a commit (the new objects' formats,
// index builds, dependencies) once for the group rather than once per object;
// the statements' own commits are held meanwhile. What the nodes write to the
// run log and the report waits until the group commits. When a node fails or
// the commit does (a unique index over duplicate rows fails only there), the
// group is undone, its lines dropped, and its nodes run again one transaction
// each, so that a failing object still takes no other along.
class TCloneJob::NodeGroup {
public:
    // At most this many nodes share a commit.
    static constexpr size_t kMaxNodes = 200;

    NodeGroup(TCloneJob& job, ObjectOwners* owners)
        : job_(job), owners_(owners), transaction_(job.dstDb.DefaultTransaction()) {}
    ~NodeGroup() {
        if (Open()) Undo();
    }
    NodeGroup(const NodeGroup&) = delete;
    NodeGroup& operator=(const NodeGroup&) = delete;

    bool Open() const { return !nodes_.empty(); }
    bool Full() const { return nodes_.size() >= kMaxNodes; }

    // Runs the node in the group (opening it if need be); false when the
    // node failed, which leaves the group to be undone.
    bool Run(const schema::PlanNode& node) {
        if (!Open()) Begin();
        nodes_.push_back(&node);
        job_.RunNode(node, owners_);
        return job_.report_.errors.size() == errorsAt_ && transaction_.Ends() == endsAt_;
    }

    // Commits the group and writes its lines; false, with the server's
    // message, when the commit fails or a node's failure already rolled the
    // transaction back (the group is then still to be undone).
    bool Commit(std::string* error = nullptr) {
        if (!Open()) return true;
        try {
            if (transaction_.Ends() != endsAt_) throw std::runtime_error("the transaction was rolled back");
            if (transaction_.InTransaction()) {
                // The source is free meanwhile: tables are opened for the rows.
                const frames::SourceTablePrefetch::Window window(job_.prefetch_.get());
                transaction_.Commit();
            }
        } catch (const std::exception& e) {
            if (error) *error = e.what();
            return false;
        }
        Release();
        for (const LogEntry& entry : held_.entries) job_.runLog_.Append(entry);
        held_.Clear();
        nodes_.clear();
        return true;
    }

    // Rolls the group back and forgets what its nodes wrote, but for their
    // red lines when asked (the cause of a failure that ends the job);
    // returns the nodes.
    std::vector<const schema::PlanNode*> Undo(bool keepRedLines = false) {
        Release();
        if (transaction_.InTransaction()) {
            try {
                transaction_.Rollback();
            } catch (const std::exception&) {
                transaction_.Forget();
            }
        }
        if (keepRedLines) {
            for (const LogEntry& entry : held_.entries)
                if (entry.textColour == kRed) job_.runLog_.Append(entry);
        } else {
            job_.report_.errors.resize(errorsAt_);
            job_.report_.errorLines = errorLinesAt_;
        }
        job_.report_.objects.resize(objectsAt_);
        held_.Clear();
        return std::exchange(nodes_, {});
    }

private:
    void Begin() {
        transaction_.SetActive(true);
        transaction_.HoldCommits(true);
        job_.heldRunLog_ = &held_;
        errorsAt_ = job_.report_.errors.size();
        errorLinesAt_ = job_.report_.errorLines;
        objectsAt_ = job_.report_.objects.size();
        endsAt_ = transaction_.Ends();
    }
    void Release() {
        transaction_.HoldCommits(false);
        job_.heldRunLog_ = nullptr;
    }

    TCloneJob& job_;
    ObjectOwners* owners_;
    db::DbTransaction& transaction_;
    std::vector<const schema::PlanNode*> nodes_;
    MemorySink held_;
    size_t errorsAt_ = 0, objectsAt_ = 0;
    int errorLinesAt_ = 0;
    std::uint64_t endsAt_ = 0;
};

void TCloneJob::RunNode(const schema::PlanNode& node, ObjectOwners* owners) {
    const size_t errorsBefore = report_.errors.size();
    if (owners)
        owners->Run(node);
    else
        node.run();
    ObjectResult& result = report_.objects.emplace_back();
    result.kind = schema::TraitsOf(node.kind).reportKind;
    result.name = schema::key::NameOf(node.key);
    result.errors.assign(report_.errors.begin() + static_cast<std::ptrdiff_t>(errorsBefore), report_.errors.end());
}

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
    NodeGroup group(*this, owners);
    // The group's nodes again, each in its own transaction; false when halted.
    auto runAlone = [&](const std::vector<const schema::PlanNode*>& nodes) {
        for (const schema::PlanNode* node : nodes) {
            RunNode(*node, owners);
            ProcessEvents();
            if (Halted()) return false;
        }
        return true;
    };
    // Ends the group: committed, or else run again node by node.
    auto endGroup = [&] { return group.Commit() || runAlone(group.Undo()); };
    // After a stop or a failure underneath, what ran before it stays, as it
    // would node by node; a group that cannot commit is not in the destination,
    // and only its red lines are written.
    auto endHalted = [&] {
        if (std::string error; !group.Commit(&error)) {
            const size_t lost = group.Undo(true).size();
            LogError("COMMIT", error + " (the last " + std::to_string(lost) + " objects were not created)");
        }
        return false;
    };
    for (const schema::PlanNode* node : plan_.Ordered(phase)) {
        walkTo(node->stepCode);
        if (owners && owners->OwnedByAnother(*node)) {
            if (!endGroup()) return false;
            RunNode(*node, owners);
        } else {
            const bool ran = group.Run(*node);
            if (Halted()) return endHalted();
            if (!ran) {
                if (!runAlone(group.Undo())) return false;
            } else if (group.Full() && !endGroup()) {
                return false;
            }
        }
        ProcessEvents();
        if (Halted()) return endHalted();
    }
    if (!endGroup()) return false;
    for (; reached < steps.size(); ++reached) ShowStep(steps[reached]);
    return true;
}

}  // namespace dravik::engine
