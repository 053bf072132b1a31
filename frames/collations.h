// The source's own collations (CREATE COLLATION) and the default collations
// it gave its character sets (ALTER CHARACTER SET), each a node before the
// domains and tables that use them. They are no object a page offers: every
// one is made, since picked domains and columns may need it.
#pragma once

#include "frames/frame_host.h"
#include "frames/plan_context.h"
#include "schema/schema_plan.h"

namespace dravik::frames {

void PlanCollations(FrameHost& log, schema::SchemaPlan& plan, PlanContext& context);

// The clauses after "FOR charset" of a collation row's attributes.
std::string CollationClauses(const std::string& base, int attributes, const std::string& specificAttributes);

}  // namespace dravik::frames
