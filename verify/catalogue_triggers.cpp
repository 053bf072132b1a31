// User triggers: table triggers and database or transaction triggers. The
// engine's triggers behind check constraints belong to their constraint.
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"

namespace dravik::verify {

void ReadTriggerItems(db::DbConnection& connection, CatalogueItems& items) {
    ReadNamedItems(connection, items, "trigger",
                   "SELECT t.RDB$TRIGGER_NAME AS NAME, t.RDB$RELATION_NAME AS \"table\", "
                   "t.RDB$TRIGGER_TYPE AS \"type\", COALESCE(t.RDB$TRIGGER_SEQUENCE, 0) AS \"sequence\", "
                   "COALESCE(t.RDB$TRIGGER_INACTIVE, 0) AS \"inactive\", t.RDB$TRIGGER_SOURCE AS \"source\", "
                   "t.RDB$ENGINE_NAME AS \"engine\", t.RDB$ENTRYPOINT AS \"entry point\", "
                   "t.RDB$DESCRIPTION AS \"description\" FROM RDB$TRIGGERS t "
                   "WHERE COALESCE(t.RDB$SYSTEM_FLAG, 0) = 0 AND NOT EXISTS (SELECT 1 FROM RDB$CHECK_CONSTRAINTS cc "
                   "JOIN RDB$RELATION_CONSTRAINTS rc ON rc.RDB$CONSTRAINT_NAME = cc.RDB$CONSTRAINT_NAME "
                   "AND rc.RDB$CONSTRAINT_TYPE = 'CHECK' WHERE cc.RDB$TRIGGER_NAME = t.RDB$TRIGGER_NAME)");
}

}  // namespace dravik::verify
