// Roles and user privileges, carried over at the end of the job.
#include "app/engine/clone_job.h"
#include "app/engine/object_owners.h"
#include "app/engine/privilege_grants.h"
#include "frames/declareSQL.h"

#include <utility>

namespace dravik::engine {

using frames::NewQuery;
using frames::NewStatement;
using frames::Trim;

namespace {

void RollbackQuietly(db::DbTransaction& transaction) {
    if (!transaction.InTransaction()) return;
    try {
        transaction.Rollback();
    } catch (const std::exception&) {
    }
}

// True when the database has a role of exactly that name; false also when
// that cannot be read.
bool RoleExists(DbConnection& connection, const std::string& name) {
    try {
        auto query = NewQuery(connection, "select count(*) from RDB$ROLES where RDB$ROLE_NAME=" +
                                              db::SqlString(name));
        query->Open();
        const bool exists = query->Fields(0).AsInteger() > 0;
        query->Close();
        return exists;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

void TCloneJob::CopyRoles(DbConnection& source, DbConnection& destination, ObjectOwners* owners) {
    auto writer = NewQuery(destination, "");
    try {
        db::ForEachRow(source, "select distinct * from RDB$ROLES", [&](db::DbCursorSet& reader) {
            if (Halted()) return;  // the rows left are passed over
            writer->Close();
            const std::string name = frames::TrimRight(reader.FieldByName("RDB$ROLE_NAME").AsString());
            // A role the destination already has (RDB$ADMIN among them) is
            // refused by the server and skipped without a line; any other
            // refusal (a name the bare statement cannot write) is a red line.
            try {
                writer->SetSQL("CREATE ROLE " + db::QuoteIdentifier(name) + ";");
                const auto create = [&] {
                    writer->Open();
                    writer->Transaction().Commit();
                };
                // In its owner's name, who may grant it; the role is his.
                const std::string owner = frames::TrimRight(reader.FieldByName("RDB$OWNER_NAME").AsString());
                if (owners)
                    owners->RunAs(owner, create,
                                  "GRANT " + db::QuoteIdentifier(name) + " TO USER " + db::QuoteIdentifier(owner) +
                                      " WITH ADMIN OPTION");
                else
                    create();
                LogOk("CREATE ROLE", name);
            } catch (const std::exception& e) {
                RollbackQuietly(writer->Transaction());
                if (!RoleExists(destination, name)) LogError("CREATE ROLE " + name, e.what());
            }
        });
    } catch (const std::exception& e) {
        LogError("CREATE ROLE", e.what());
    }
}

void TCloneJob::CopyPrivileges(DbConnection& source, DbConnection& destination) {
    waitingGrants_.clear();
    std::vector<PrivilegeRow> rows;
    db::DbTransaction& reads = source.DefaultTransaction();
    // A snapshot the job holds on the source is the job's to end.
    const bool ownsReads = !reads.InTransaction();
    try {
        const ObjectNames sourceHas(source);
        db::ForEachRow(source, "select * from RDB$USER_PRIVILEGES", [&](db::DbCursorSet& reader) {
            if (Halted()) return;  // the rows left are passed over
            PrivilegeRow row = ReadPrivilegeRow(reader);
            // A row whose object is gone from the source is left behind, as
            // a backup and restore leaves it.
            if (!SystemPrivilege(row) && sourceHas.HasObject(row)) rows.push_back(std::move(row));
        });
        if (Halted()) return;
        if (ownsReads && reads.InTransaction()) reads.Commit();
    } catch (const std::exception& e) {
        if (ownsReads) RollbackQuietly(reads);
        LogError("GRANT", e.what());
        return;
    }
    if (GiveGrants(destination, rows)) LogOk("GRANT PRIVILEGES", "Выполнено успешно");
}

void TCloneJob::GrantWaitingPrivileges(DbConnection& destination) {
    const std::vector<PrivilegeRow> rows = std::exchange(waitingGrants_, {});
    if (!rows.empty()) GiveGrants(destination, rows);
    waitingGrants_.clear();  // their objects were not copied
}

bool TCloneJob::GiveGrants(DbConnection& destination, const std::vector<PrivilegeRow>& rows) {
    auto writer = NewStatement(destination, "");
    db::DbTransaction& writes = writer->Transaction();
    try {
        const DestinationCatalogue destinationHas(destination);
        // Every grant goes into this one transaction: all of them land, or none.
        writes.SetActive(true);
        for (const PrivilegeRow& row : rows) {
            if (Halted()) return false;
            if (destinationHas.Has(row)) continue;
            const std::string sql = GrantStatement(row, destinationHas.CurrentUser());
            if (sql.empty()) {
                LogNote("GRANT", "privilege " + row.privilege + " of " + row.user + " on " + row.relation +
                                     " has no GRANT statement; not copied");
                continue;
            }
            // An object made later (a database trigger) or not copied at all.
            if (!destinationHas.ObjectsExist(row)) {
                waitingGrants_.push_back(row);
                continue;
            }
            writer->SetSQL(sql);
            LogOk("SQL", sql + "\r\n");
            writer->ExecQuery();
        }
        if (writes.InTransaction()) writes.Commit();
        return true;
    } catch (const std::exception& e) {
        RollbackQuietly(writes);
        LogError("GRANT", e.what());
        return false;
    }
}

}  // namespace dravik::engine
