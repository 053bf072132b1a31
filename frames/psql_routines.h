// PSQL functions and packages, which the procedures page lists next to the
// procedures: a function is created as a stub before the rows and gets its
// body after them, like a procedure; a package's header comes before the
// rows (so that whatever calls its routines compiles) and its body after.
#pragma once

#include "frames/fr_select.h"

namespace dravik::frames {

void PlanFunction(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context, const std::string& name);
void PlanPackage(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context, const std::string& name);

// The header of a stand-alone PSQL function from right after its name up to
// AS: "(arguments) RETURNS type [DETERMINISTIC]".
// The source names character sets and collations.
std::string FunctionHeader(DbConnection& source, const schema::SourceCatalogue& catalogue, const std::string& name);

}  // namespace dravik::frames
