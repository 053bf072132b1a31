// The database's own mappings (CREATE MAPPING, RDB$AUTH_MAPPING), carried
// over with the roles: they say which authenticated names become which user
// or role in this database.
#include "app/engine/clone_job.h"
#include "db/sql_text.h"
#include "frames/declareSQL.h"

namespace dravik::engine {

namespace {

using db::QuoteIdentifier;

std::string Text(db::DbCursorSet& row, int column) {
    return row.Fields(column).IsNull() ? std::string() : frames::TrimRight(row.Fields(column).AsString());
}

// The statement that makes the mapping of the current row of RDB$AUTH_MAPPING
// (columns as kMappings selects them).
std::string MappingStatement(db::DbCursorSet& row) {
    const std::string use = Text(row, 1), plugin = Text(row, 2), database = Text(row, 3);
    const std::string fromType = Text(row, 4), from = Text(row, 5), to = Text(row, 7);
    std::string sql = "CREATE MAPPING " + QuoteIdentifier(Text(row, 0)) + " USING ";
    if (use == "P") sql += plugin.empty() ? "ANY PLUGIN" : "PLUGIN " + QuoteIdentifier(plugin);
    else if (use == "S") sql += "ANY PLUGIN SERVERWIDE";
    else if (use == "M") sql += "MAPPING";
    else sql += "*";
    if (!database.empty()) sql += " IN " + QuoteIdentifier(database);
    // The kind of name (USER, GROUP, ...) is a word the statement takes quoted.
    const std::string type = db::QuoteIdentifier(fromType, 3);
    sql += from == "*" ? " FROM ANY " + type : " FROM " + type + " " + QuoteIdentifier(from);
    if (row.Fields(6).AsInteger() == 1) sql += " TO ROLE " + QuoteIdentifier(to);
    else sql += " TO USER" + (to.empty() ? std::string() : " " + QuoteIdentifier(to));
    return sql;
}

constexpr const char* kMappings =
    "select RDB$MAP_NAME, RDB$MAP_USING, RDB$MAP_PLUGIN, RDB$MAP_DB, RDB$MAP_FROM_TYPE, RDB$MAP_FROM, "
    "RDB$MAP_TO_TYPE, RDB$MAP_TO from RDB$AUTH_MAPPING where coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1";

}  // namespace

void TCloneJob::CopyMappings(DbConnection& source, DbConnection& destination) {
    try {
        db::ForEachRow(source, kMappings, [&](db::DbCursorSet& row) {
            if (Halted()) return;  // the rows left are passed over
            const std::string name = Text(row, 0);
            try {
                frames::ExecStatement(destination, MappingStatement(row));
                LogOk("CREATE MAPPING", name);
            } catch (const std::exception& e) {
                LogError("CREATE MAPPING " + name, e.what());
            }
        });
    } catch (const std::exception& e) {
        LogError("CREATE MAPPING", e.what());
    }
}

}  // namespace dravik::engine
