// The triggers of a table or view: each its own plan node after the rows,
// so that none fires while rows are copied.
#pragma once

#include "frames/fr_select.h"

namespace dravik::frames {

void PlanRelationTriggers(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context,
                          const std::string& relation);

// The event words of an RDB$TRIGGER_TYPE code of a table trigger
// ("BEFORE INSERT", "AFTER UPDATE OR DELETE", ...); "" for any other code.
std::string TriggerEventWords(int triggerType);

}  // namespace dravik::frames
