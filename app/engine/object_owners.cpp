#include "app/engine/object_owners.h"

#include "app/engine/clone_job.h"
#include "db/db_query.h"
#include "db/sql_text.h"
#include "frames/declareSQL.h"
#include "schema/node_keys.h"

#include <algorithm>
#include <cctype>

namespace dravik::engine {

namespace {

using db::QuoteIdentifier;

// The objects a node creates in its owner's name, with their owner. Routines
// of a package belong to the package; implicit domains to their table.
constexpr const char* kOwnedObjects =
    "select 'REL', RDB$RELATION_NAME, RDB$OWNER_NAME from RDB$RELATIONS where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
    "union all select 'PRC', RDB$PROCEDURE_NAME, RDB$OWNER_NAME from RDB$PROCEDURES "
    "where RDB$PACKAGE_NAME is null and coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
    "union all select 'FUN', RDB$FUNCTION_NAME, RDB$OWNER_NAME from RDB$FUNCTIONS "
    "where RDB$PACKAGE_NAME is null and coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
    "union all select 'PKG', RDB$PACKAGE_NAME, RDB$OWNER_NAME from RDB$PACKAGES where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
    "union all select 'DOM', RDB$FIELD_NAME, RDB$OWNER_NAME from RDB$FIELDS "
    "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$FIELD_NAME not starting with 'RDB$' "
    "union all select 'GEN', RDB$GENERATOR_NAME, RDB$OWNER_NAME from RDB$GENERATORS "
    "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
    "union all select 'EXC', RDB$EXCEPTION_NAME, RDB$OWNER_NAME from RDB$EXCEPTIONS "
    "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
    "union all select 'COL', RDB$COLLATION_NAME, RDB$OWNER_NAME from RDB$COLLATIONS "
    "where coalesce(RDB$SYSTEM_FLAG, 0) = 0";

struct OwnedKind {
    std::string (*key)(const std::string&);
    // Granted to the owner on the object, e.g. "EXECUTE ON PROCEDURE"; null
    // for domains and collations, whose usage no GRANT gives.
    const char* rights;
};

const std::map<std::string, OwnedKind>& OwnedKinds() {
    static const std::map<std::string, OwnedKind> kinds = {
        {"REL", {schema::key::Relation, "ALL ON"}},
        {"PRC", {schema::key::Procedure, "EXECUTE ON PROCEDURE"}},
        {"FUN", {schema::key::Function, "EXECUTE ON FUNCTION"}},
        {"PKG", {schema::key::Package, "EXECUTE ON PACKAGE"}},
        {"DOM", {schema::key::Domain, nullptr}},
        {"GEN", {schema::key::Generator, "USAGE ON SEQUENCE"}},
        {"EXC", {schema::key::Exception, "USAGE ON EXCEPTION"}},
        {"COL", {schema::key::Collation, nullptr}},
    };
    return kinds;
}

std::string CurrentUser(db::DbConnection& connection) {
    auto query = frames::NewQuery(connection, "select current_user from RDB$DATABASE");
    query->Open();
    const std::string user = frames::TrimRight(query->Fields(0).AsString());
    query->Close();
    return user;
}

// The attach line's name ("USER_NAME=x" gives USER_NAME), upper case.
std::string LineName(const std::string& line) {
    std::string name = line.substr(0, line.find('='));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

// Ends the destination's transaction after a node and gives the destination
// its own attachment back, however the node ended.
class ActingAs {
public:
    ActingAs(db::DbConnection& destination, db::DbConnection& owner) : destination_(destination), owner_(owner) {
        if (destination_.DefaultTransaction().InTransaction()) destination_.DefaultTransaction().Commit();
        destination_.SwapAttachment(owner_);
    }
    ~ActingAs() {
        db::DbTransaction& transaction = destination_.DefaultTransaction();
        try {
            if (transaction.InTransaction()) transaction.Commit();
        } catch (const std::exception&) {
            try {
                transaction.Rollback();
            } catch (const std::exception&) {
                transaction.Forget();
            }
        }
        destination_.SwapAttachment(owner_);
    }
    ActingAs(const ActingAs&) = delete;
    ActingAs& operator=(const ActingAs&) = delete;

private:
    db::DbConnection& destination_;
    db::DbConnection& owner_;
};

}  // namespace

ObjectOwners::ObjectOwners(frames::FrameHost& log, db::DbConnection& source, db::DbConnection& destination,
                           bool actAsOwners)
    : log_(log), destination_(destination), actAsOwners_(actAsOwners), cloningUser_(CurrentUser(destination)) {
    db::ForEachRow(source, kOwnedObjects, [&](db::DbCursorSet& row) {
        const std::string owner = frames::TrimRight(row.Fields(2).AsString());
        if (owner.empty() || owner == cloningUser_) return;
        const OwnedKind& kind = OwnedKinds().at(frames::TrimRight(row.Fields(0).AsString()));
        const std::string name = frames::TrimRight(row.Fields(1).AsString());
        owned_[kind.key(name)] = {owner, kind.rights ? std::string("GRANT ") + kind.rights + " " +
                                                           QuoteIdentifier(name) + " TO USER " +
                                                           QuoteIdentifier(owner) + " WITH GRANT OPTION"
                                                     : std::string()};
    });
}

ObjectOwners::~ObjectOwners() {
    try {
        TakeRolesBack();  // a job that ended early leaves no owner with the role
    } catch (const std::exception&) {
    }
}

void ObjectOwners::Run(const schema::PlanNode& node) {
    const auto found = owned_.find(node.key);
    if (found == owned_.end()) return node.run();
    RunAs(found->second.owner, node.run, found->second.grant);
}

void ObjectOwners::RunAs(const std::string& owner, const std::function<void()>& run, const std::string& grant) {
    if (owner.empty() || owner == cloningUser_) return run();
    db::DbConnection* attachment = AttachmentOf(owner);
    if (!attachment) {
        createdForOwner_[owner].push_back(grant);
        return run();
    }
    ActingAs acting(destination_, *attachment);
    run();
}

db::DbConnection* ObjectOwners::AttachmentOf(const std::string& owner) {
    auto [at, fresh] = attachments_.try_emplace(owner);
    if (!fresh || !actAsOwners_) return at->second.get();
    try {
        frames::ExecStatement(destination_, "GRANT RDB$ADMIN TO USER " + QuoteIdentifier(owner));
        roleGiven_.push_back(owner);
        auto attachment = std::make_unique<db::DbConnection>();
        attachment->SetDatabaseName(destination_.DatabaseName());
        // The destination's own lines (code page among them), in the owner's
        // name, with no password and the role that lets him make any object.
        for (const std::string& line : destination_.Params()) {
            const std::string name = LineName(line);
            if (name != "USER_NAME" && name != "PASSWORD" && name != "SQL_ROLE_NAME" && name != "NO_DB_TRIGGERS")
                attachment->Params().push_back(line);
        }
        attachment->Params().push_back("USER_NAME=" + QuoteIdentifier(owner));
        attachment->Params().push_back("SQL_ROLE_NAME=RDB$ADMIN");
        attachment->SetSQLDialect(destination_.SQLDialect());
        attachment->Connect();
        at->second = std::move(attachment);
    } catch (const std::exception& e) {
        log_.LogNote("OWNER " + owner, std::string("the destination refuses an attachment in this name: ") + e.what());
    }
    return at->second.get();
}

void ObjectOwners::Finish() {
    TakeRolesBack();
    GrantToOwners();
}

void ObjectOwners::TakeRolesBack() {
    for (auto& [owner, attachment] : attachments_)
        if (attachment) CommitAndDisconnect(*attachment);
    attachments_.clear();
    for (const std::string& owner : roleGiven_) {
        try {
            frames::ExecStatement(destination_, "REVOKE RDB$ADMIN FROM USER " + QuoteIdentifier(owner));
        } catch (const std::exception& e) {
            log_.LogError("REVOKE RDB$ADMIN FROM " + owner, e.what());
        }
    }
    roleGiven_.clear();
}

void ObjectOwners::GrantToOwners() {
    for (const auto& [owner, grants] : createdForOwner_) {
        for (const std::string& grant : grants) {
            if (grant.empty()) continue;
            try {
                frames::ExecStatement(destination_, grant);
            } catch (const std::exception& e) {
                log_.LogError(grant, e.what());
            }
        }
        log_.LogNote("OWNER " + owner, "the destination cannot act in this user's name without his password: " +
                                           std::to_string(grants.size()) + " of his objects belong to " +
                                           cloningUser_ + ", who gave him every right on them that a GRANT gives, "
                                                          "with grant option");
    }
    createdForOwner_.clear();
}

}  // namespace dravik::engine
