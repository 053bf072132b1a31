// The comments (RDB$DESCRIPTION, set by COMMENT ON) of the cloned objects:
// one plan node after the rows per comment of an object the plan creates,
// and the roles' comments once the roles exist.
#pragma once

#include "db/db_connection.h"
#include "frames/frame_host.h"
#include "frames/plan_context.h"
#include "schema/schema_plan.h"

namespace dravik::frames {

// Adds one AfterData node per comment (RDB$DESCRIPTION) of every object the
// plan creates, and of the database itself. Called once every frame has
// planned its objects: an object without its node in the plan gets no
// comment. Each node reads the text from the source when it runs and logs
// one line.
void PlanComments(schema::SchemaPlan& plan, PlanContext& context, FrameHost& log);

// The comments on roles (called after the roles are created): those of the
// source's user roles that the destination has.
void CopyRoleComments(db::DbConnection& source, db::DbConnection& destination, FrameHost& log);

}  // namespace dravik::frames
