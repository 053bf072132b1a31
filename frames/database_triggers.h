// Database triggers (ON CONNECT, ON TRANSACTION COMMIT, ...) and DDL
// triggers, which the procedures page lists: each is created last of all,
// after roles and privileges too, so that none fires while the clone is built.
#pragma once

#include "frames/fr_select.h"

#include <cstdint>

namespace dravik::frames {

void PlanDatabaseTrigger(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context,
                         const std::string& name);

// The event clause of a database or DDL trigger's RDB$TRIGGER_TYPE ("ON
// CONNECT", "BEFORE CREATE TABLE OR DROP VIEW", "AFTER ANY DDL STATEMENT");
// "" for a code that is neither.
std::string DatabaseTriggerEvents(std::int64_t triggerType);

}  // namespace dravik::frames
