#include "schema/catalogue_links.h"

#include "db/db_query.h"
#include "db/sql_text.h"
#include "schema/node_keys.h"

#include <algorithm>

namespace dravik::schema {

namespace {

// RDB$DEPENDENCIES object types.
constexpr int kRelation = 0, kView = 1, kTrigger = 2, kComputedField = 3, kProcedure = 5, kExpressionIndex = 6,
              kException = 7,
              kDomain = 9, kIndex = 10, kGenerator = 14, kFunction = 15, kCollation = 17, kPackageHeader = 18,
              kPackageBody = 19;

// The key of an object named in a dependency row, or "" for a kind no node has.
std::string KeyOf(int type, const std::string& name, const std::string& package, const std::string& table,
                  const std::string& column) {
    if (!package.empty() && (type == kProcedure || type == kFunction)) return key::Package(package);
    switch (type) {
        case kRelation:
        case kView: return key::Relation(name);
        case kTrigger: return key::Trigger(name);
        case kComputedField: return table.empty() ? std::string() : key::Column(table, column);
        case kProcedure: return key::Procedure(name);
        case kExpressionIndex:
        case kIndex: return key::Index(name);  // an index a PLAN names
        case kException: return key::Exception(name);
        case kDomain: return key::Domain(name);
        case kGenerator: return key::Generator(name);
        case kFunction: return key::Function(name);
        case kCollation: return key::Collation(name);
        case kPackageHeader:
        case kPackageBody: return key::Package(name);
        default: return {};
    }
}

}  // namespace

void CatalogueLinks::Read(db::DbConnection& source) {
    links_.clear();
    // A computed column's dependencies are recorded under its implicit
    // domain (RDB$n): the join finds the column that domain belongs to. So
    // are those of a view's column (a function it calls, which the view's
    // own rows do not name): they are the view's.
    const char* const sql =
        "select d.RDB$DEPENDENT_NAME, d.RDB$DEPENDENT_TYPE, d.RDB$DEPENDED_ON_NAME, d.RDB$DEPENDED_ON_TYPE, "
        "d.RDB$PACKAGE_NAME, rf.RDB$RELATION_NAME, rf.RDB$FIELD_NAME, d.RDB$FIELD_NAME, "
        "iif(r.RDB$VIEW_BLR is null, 0, 1) "
        "from RDB$DEPENDENCIES d left join RDB$RELATION_FIELDS rf "
        "on d.RDB$DEPENDENT_TYPE = 3 and rf.RDB$FIELD_SOURCE = d.RDB$DEPENDENT_NAME "
        "left join RDB$RELATIONS r on r.RDB$RELATION_NAME = rf.RDB$RELATION_NAME";
    db::ForEachRow(source, sql, [&](db::DbCursorSet& q) {
        const bool viewColumn = q.Fields(8).AsInteger() == 1;
        const std::string dependent =
            viewColumn ? key::Relation(db::TrimRight(q.Fields(5).AsString()))
                       : KeyOf(q.Fields(1).AsInteger(), db::TrimRight(q.Fields(0).AsString()), "",
                               db::TrimRight(q.Fields(5).AsString()), db::TrimRight(q.Fields(6).AsString()));
        // The package column names the package of the routine depended on.
        const std::string dependedOn = KeyOf(q.Fields(3).AsInteger(), db::TrimRight(q.Fields(2).AsString()),
                                             db::TrimRight(q.Fields(4).AsString()), "", "");
        if (dependent.empty() || dependedOn.empty() || dependent == dependedOn) return;
        auto& list = links_[dependent];
        auto add = [&list](const std::string& key) {
            if (std::find(list.begin(), list.end(), key) == list.end()) list.push_back(key);
        };
        add(dependedOn);
        // A column read is named too: a computed column may be made after its table.
        const int type = q.Fields(3).AsInteger();
        if ((type == kRelation || type == kView) && !q.Fields(7).IsNull())
            add(key::Column(db::TrimRight(q.Fields(2).AsString()), db::TrimRight(q.Fields(7).AsString())));
    });
    loaded_ = true;
}

const std::vector<std::string>& CatalogueLinks::Of(const std::string& dependentKey) const {
    static const std::vector<std::string> kNone;
    auto it = links_.find(dependentKey);
    return it == links_.end() ? kNone : it->second;
}

}  // namespace dravik::schema
