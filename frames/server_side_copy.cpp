#include "frames/server_side_copy.h"

#include "db/db_error.h"
#include "db/db_query.h"
#include "db/db_table.h"
#include "db/dsql.h"
#include "db/sql_text.h"
#include "frames/declareSQL.h"

#include <algorithm>
#include <cstring>

namespace dravik::frames {

namespace {

struct Columns {
    std::vector<std::string> source;       // as the statement writes them
    std::vector<std::string> destination;
    std::string why;                       // why the server cannot copy them
};

// The columns copied: every stored column of the destination, each from the
// source column of its name.
Columns MatchColumns(db::DbConnection& source, db::DbConnection& destination, const std::string& table) {
    Columns columns;
    auto from = NewTable(source, table);
    auto to = NewTable(destination, table);
    from->Describe();
    to->Describe();
    const int fromDialect = source.SQLDialect(), toDialect = destination.SQLDialect();
    for (int i = 0; i < from->FieldCount(); ++i) {
        db::DbField& field = from->Fields(i);
        db::DbField* match = to->FindField(field.FieldName());
        if (!match) {
            columns.why = "column " + field.FieldName() + " is missing in the destination";
            break;
        }
        if (match->computed || field.computed) continue;  // neither read nor written
        if (field.SqlType() == SQL_ARRAY || match->SqlType() == SQL_ARRAY) {
            columns.why = "column " + field.FieldName() + " is an array";
            break;
        }
        columns.source.push_back(db::QuoteIdentifier(field.FieldName(), fromDialect));
        columns.destination.push_back(db::QuoteIdentifier(match->FieldName(), toDialect));
    }
    if (columns.why.empty() && columns.destination.empty()) columns.why = "no column to copy";
    from->Close();
    to->Close();
    return columns;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

// The block: the source's rows fetched into variables typed as the
// destination's columns, inserted one by one; N_ returned every interval, a
// BIGINT, or an INTEGER in dialect 1, which has no BIGINT.
std::string BlockText(const std::string& sourceTable, const std::string& destinationTable, const Columns& columns,
                      int interval, int dialect) {
    std::string declarations, variables;
    for (size_t i = 0; i < columns.destination.size(); ++i) {
        const std::string name = "V" + std::to_string(i) + "_";
        declarations += "DECLARE " + name + " TYPE OF COLUMN " + destinationTable + "." + columns.destination[i] + ";\n";
        variables += (variables.empty() ? ":" : ", :") + name;
    }
    const std::string select = "SELECT " + Joined(columns.source) + " FROM " + sourceTable;
    const std::string every = std::to_string(interval);
    return "EXECUTE BLOCK (SRC_ VARCHAR(1024) = ?, USR_ VARCHAR(128) = ?, PWD_ VARCHAR(256) = ?) "
           "RETURNS (N_ " + std::string(dialect < 3 ? "INTEGER" : "BIGINT") + ") AS\n" + declarations +
           "BEGIN\nN_ = 0;\nFOR EXECUTE STATEMENT " + db::SqlString(select) +
           "\n ON EXTERNAL :SRC_ AS USER :USR_ PASSWORD :PWD_ WITH COMMON TRANSACTION\n INTO " + variables +
           "\nDO BEGIN\n INSERT INTO " + destinationTable + " (" + Joined(columns.destination) + ") VALUES (" +
           variables + ");\n N_ = N_ + 1;\n IF (MOD(N_, " + every + ") = 0) THEN SUSPEND;\nEND\n" +
           "IF (N_ = 0 OR MOD(N_, " + every + ") <> 0) THEN SUSPEND;\nEND";
}

// An empty text goes as NULL: the external attachment then takes the
// destination's own user.
void BindTextOrNull(XSQLVAR& var, const std::string& text) {
    db::BindText(var, text);
    var.sqltype |= 1;
    *var.sqlind = text.empty() ? -1 : 0;
}

}  // namespace

ServerCopyOutcome CopyRowsByServer(db::DbConnection& source, db::DbConnection& destination,
                                   const std::string& table, const ExternalSource& from, int interval,
                                   const std::function<bool()>& stopRequested,
                                   const std::function<void(std::int64_t rows, bool last)>& progress) {
    ServerCopyOutcome outcome;
    Columns columns;
    try {
        columns = MatchColumns(source, destination, table);
    } catch (const db::DbEnvironmentError&) {
        throw;
    } catch (const db::DbError& e) {
        columns.why = e.what();  // the other way names the table that cannot be opened
    }
    if (!columns.why.empty()) {
        outcome.why = columns.why;
        return outcome;
    }
    const std::string destinationTable = db::QuoteIdentifier(table, destination.SQLDialect());
    interval = std::max(interval, 1);
    db::DsqlStatement block;
    bool stopped = false;
    try {
        block.Prepare(destination, destination.DefaultTransaction(),
                      BlockText(db::QuoteIdentifier(table, source.SQLDialect()), destinationTable, columns, interval,
                                destination.SQLDialect()),
                      true);
        db::SqlDescriptor& in = block.Input();
        BindTextOrNull(in.Var(0), from.database);
        BindTextOrNull(in.Var(1), from.user);
        BindTextOrNull(in.Var(2), from.password);
        block.Execute(destination.DefaultTransaction(), in.Get());
        while (block.Fetch()) {
            const XSQLVAR& count = block.Output().Var(0);
            if (count.sqllen == sizeof(ISC_LONG)) {
                ISC_LONG rows = 0;
                std::memcpy(&rows, count.sqldata, sizeof rows);
                outcome.rows = rows;
            } else {
                std::memcpy(&outcome.rows, count.sqldata, sizeof outcome.rows);
            }
            if (stopRequested()) {
                stopped = true;
                break;
            }
            // A line every interval, as the rows going through Dravik get
            // one at each commit; the remainder only has the last line.
            if (outcome.rows > 0 && outcome.rows % interval == 0) progress(outcome.rows, false);
        }
        block.Drop();
    } catch (const db::DbEnvironmentError&) {
        block.Drop();
        throw;
    } catch (const db::DbError& e) {
        block.Drop();
        // A refused block is undone by the server; what a partly read one
        // left is taken away, so that the rows can go another way.
        db::DbStatement(destination, "delete from " + destinationTable).ExecQuery();
        outcome.why = e.what();
        return outcome;
    }
    // A stop closes the block. Through a server the client fetches its
    // lines in batches while the server runs ahead (in a test, a 1,200-row
    // table was copied whole before the first line arrived), so the
    // destination's own count says how many rows it holds.
    if (stopped) outcome.rows = CountRows(destination, destinationTable);
    outcome.copied = true;
    progress(outcome.rows, true);
    return outcome;
}

}  // namespace dravik::frames
