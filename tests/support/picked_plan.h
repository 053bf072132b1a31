// The schema plan of some frames' picked objects, built and run the way the
// clone job does: one plan from the picks of every frame given, in the order
// given, then each phase's nodes in dependency order, a stop request seen
// after a node ending the phase.
#pragma once

#include "frames/fr_select.h"
#include "schema/schema_plan.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace dravik::test {

class PickedPlan {
public:
    PickedPlan(db::DbConnection& source, db::DbConnection& destination,
               std::initializer_list<frames::TFrame_select*> frames);

    void Run(schema::Phase phase);
    // The phase before the rows.
    void Create() { Run(schema::Phase::BeforeData); }
    // The phases after the rows: no roles to wait for, the last one follows at once.
    void Complete() {
        Run(schema::Phase::AfterData);
        Run(schema::Phase::Final);
    }
    void All() {
        Create();
        Complete();
    }

private:
    std::vector<frames::TFrame_select*> frames_;
    schema::SchemaPlan plan_;
};

// Picks only the objects of those names (as the page lists them, else as
// items of the page's kind whose objects the source may lack) and plans them.
PickedPlan PlanOnly(db::DbConnection& source, db::DbConnection& destination, frames::TFrame_select& frame,
                    std::initializer_list<std::string> names);

}  // namespace dravik::test
