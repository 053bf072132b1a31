// PSQL functions and packages, which the procedures page lists next to the
// procedures: a function is made like a procedure, whole or as a stub
// completed after the rows; a package's header comes before the rows (so
// that whatever calls its routines compiles) and its body after.
#pragma once

#include "frames/fr_select.h"

#include <functional>

namespace dravik::frames {

// The ways of making one routine: whole (false, with nothing logged, when
// that fails), or its stub and then its body.
struct RoutineMakers {
    std::function<bool()> whole;
    std::function<void()> stub;
    std::function<void()> body;
};

// Plans a procedure or function made whole once what it reads exists. The
// plan makes it a stub and a body instead where it must (see SeparableBody),
// and a routine that fails whole is made that way too, so that whatever
// calls it still compiles and its failure is its body's own red line.
void PlanRoutine(schema::SchemaPlan& plan, PlanContext& context, NodeKind kind, const std::string& key,
                 std::vector<std::string> headerNeeds, RoutineMakers makers);

void PlanFunction(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context, const std::string& name);
void PlanPackage(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context, const std::string& name);

// A routine's body after its header: AS and its stored source (the column
// sourceColumn of its catalogue row), or its external name and engine. kind
// and name say which routine in an error ("procedure", "P").
std::string RoutineBody(const schema::CatalogueRow* routine, const char* sourceColumn, const std::string& kind,
                        const std::string& name);

// The header of a stand-alone PSQL function from right after its name up to
// AS: "(arguments) RETURNS type [DETERMINISTIC]".
// The source names character sets and collations.
std::string FunctionHeader(DbConnection& source, const schema::SourceCatalogue& catalogue, const std::string& name);

}  // namespace dravik::frames
