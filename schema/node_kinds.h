// The kinds of plan nodes and what each kind implies: when its nodes run
// (phase), where they sort among the nodes free to run (rank), the step the
// indicator shows while they run, and how the job's report names the kind.
// A node is made from its kind alone, so these facts live in one table.
#pragma once

#include "schema/schema_plan.h"

#include <functional>
#include <string>
#include <vector>

namespace dravik::schema {

enum class NodeKind {
    ExternalFunction,
    Collation,
    CharacterSetDefault,  // a character set's default collation, when the source changed it
    Domain,
    Generator,
    Exception,
    Procedure,           // whole, or its header with an empty body (see SeparableBody)
    Function,            // a PSQL function: the same
    PackageHeader,
    Table,
    ComputedColumn,      // added after the table, once what it reads exists
    KeyOfCreateTable,    // the primary key made with its table
    InactiveIndex,       // made before the rows: it is not maintained anyway
    View,
    RoutineBody,         // a procedure's, function's or package's body
    PrimaryKey,
    UniqueKey,
    Index,
    DomainCheck,
    TableCheck,
    Trigger,
    ForeignKey,
    Comment,
    LateComment,         // the comment of an object made last of all
    DatabaseTrigger,
};

struct NodeKindTraits {
    Phase phase;
    int rank;
    const char* stepCode;    // shown by the step indicator while such a node runs
    const char* reportKind;  // the kind as the job's report names it ("table or view" ...)
};

const NodeKindTraits& TraitsOf(NodeKind kind);

// A node of that kind: its phase, rank and step code come from the kind.
PlanNode Node(NodeKind kind, std::string key, std::vector<std::string> dependsOn, std::function<void()> run);

}  // namespace dravik::schema
