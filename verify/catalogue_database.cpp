// The database itself, and the character sets and collations users made or
// described.
#include "verify/catalogue_field_types.h"
#include "verify/catalogue_readers.h"
#include "verify/catalogue_rows.h"

namespace dravik::verify {

void ReadDatabaseItems(db::DbConnection& connection, CatalogueItems& items) {
    ReadNamedItems(connection, items, "database",
                   "SELECT 'database' AS NAME, d.RDB$CHARACTER_SET_NAME AS \"default character set\", "
                   "m.MON$SQL_DIALECT AS \"dialect\", m.MON$PAGE_SIZE AS \"page size\", "
                   "d.RDB$DESCRIPTION AS \"description\" FROM RDB$DATABASE d CROSS JOIN MON$DATABASE m");
    // Character sets are the engine's own; a copy must still carry the
    // description or default collation a user gave one.
    ReadNamedItems(connection, items, "character set",
                   "SELECT cs.RDB$CHARACTER_SET_NAME AS NAME, cs.RDB$DEFAULT_COLLATE_NAME AS \"default collation\", "
                   "cs.RDB$DESCRIPTION AS \"description\" FROM RDB$CHARACTER_SETS cs "
                   "WHERE cs.RDB$DESCRIPTION IS NOT NULL OR cs.RDB$DEFAULT_COLLATE_NAME <> cs.RDB$CHARACTER_SET_NAME");
    // User collations, and the engine's own ones a user described.
    ReadNamedItems(connection, items, "collation",
                   "SELECT co.RDB$COLLATION_NAME AS NAME, " + CharacterSetNameSql("co.RDB$CHARACTER_SET_ID") +
                       " AS \"character set\", co.RDB$BASE_COLLATION_NAME AS \"base collation\", "
                       "co.RDB$COLLATION_ATTRIBUTES AS \"attributes\", "
                       "co.RDB$SPECIFIC_ATTRIBUTES AS \"specific attributes\", co.RDB$FUNCTION_NAME AS \"function\", "
                       "IIF(COALESCE(co.RDB$SYSTEM_FLAG, 0) = 0, co.RDB$OWNER_NAME, NULL) AS \"owner\", "
                       "co.RDB$DESCRIPTION AS \"description\" FROM RDB$COLLATIONS co "
                       "WHERE COALESCE(co.RDB$SYSTEM_FLAG, 0) = 0 OR co.RDB$DESCRIPTION IS NOT NULL");
}

}  // namespace dravik::verify
