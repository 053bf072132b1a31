#include "frames/collations.h"

#include "db/text_conversion.h"
#include "frames/declareSQL.h"
#include "schema/node_keys.h"
#include "schema/node_kinds.h"

#include <stdexcept>

namespace dravik::frames {

namespace {

// RDB$COLLATION_ATTRIBUTES bits.
constexpr int kPadSpace = 1, kCaseInsensitive = 2, kAccentInsensitive = 4;

// The specific attributes without COLL-VERSION: the destination's engine
// records the version of its own ICU library.
std::string WithoutVersion(const std::string& attributes) {
    std::string kept;
    size_t start = 0;
    while (start <= attributes.size()) {
        size_t end = attributes.find(';', start);
        if (end == std::string::npos) end = attributes.size();
        const std::string item = Trim(attributes.substr(start, end - start));
        if (!item.empty() && UpperCase(item).rfind("COLL-VERSION=", 0) != 0) kept += (kept.empty() ? "" : ";") + item;
        start = end + 1;
    }
    return kept;
}

void CreateCollation(FrameHost& log, DbConnection& source, DbConnection& destination, const std::string& name) {
    try {
        auto row = NewQuery(source, "select c.RDB$BASE_COLLATION_NAME, c.RDB$COLLATION_ATTRIBUTES, "
                                    "c.RDB$SPECIFIC_ATTRIBUTES, s.RDB$CHARACTER_SET_NAME from RDB$COLLATIONS c "
                                    "join RDB$CHARACTER_SETS s on s.RDB$CHARACTER_SET_ID = c.RDB$CHARACTER_SET_ID "
                                    "where c.RDB$COLLATION_NAME = " + SqlString(name));
        row->Open();
        if (row->Eof()) throw std::runtime_error("the source has no collation " + name);
        const std::string statement =
            "CREATE COLLATION " + QuoteIdentifier(name) + " FOR " + QuoteIdentifier(row->Fields(3).AsString()) +
            CollationClauses(TrimRight(row->Fields(0).AsString()), row->Fields(1).AsInteger(),
                             row->Fields(2).IsNull() ? std::string() : row->Fields(2).AsString());
        row->Close();
        ExecStatement(destination, statement);
        log.LogOk("COLLATION", name);
    } catch (const std::exception& e) {
        log.LogError("COLLATION " + name, e.what());
    }
}

// ALTER CHARACTER SET: the set's default collation as the source has it, for
// the columns, domains and parameters declared without one.
void SetDefaultCollation(FrameHost& log, DbConnection& destination, const std::string& set,
                         const std::string& collation) {
    try {
        ExecStatement(destination, "ALTER CHARACTER SET " + QuoteIdentifier(set) + " SET DEFAULT COLLATION " +
                                       QuoteIdentifier(collation));
        log.LogOk("CHARACTER SET", set);
    } catch (const std::exception& e) {
        log.LogError("CHARACTER SET " + set, e.what());
    }
}

}  // namespace

std::string CollationClauses(const std::string& base, int attributes, const std::string& specificAttributes) {
    std::string s;
    if (!base.empty()) s += " FROM EXTERNAL (" + SqlString(base) + ")";
    s += (attributes & kPadSpace) ? " PAD SPACE" : " NO PAD";
    if (attributes & kCaseInsensitive) s += " CASE INSENSITIVE";
    if (attributes & kAccentInsensitive) s += " ACCENT INSENSITIVE";
    const std::string specific = WithoutVersion(specificAttributes);
    if (!specific.empty()) s += " " + SqlString(specific);
    return s;
}

void PlanCollations(FrameHost& log, schema::SchemaPlan& plan, PlanContext& context) {
    std::vector<std::string> names;
    db::ForEachRow(context.source,
                   "select RDB$COLLATION_NAME from RDB$COLLATIONS where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
                   "order by RDB$COLLATION_NAME",
                   [&](db::DbCursorSet& row) { names.push_back(TrimRight(row.Fields(0).AsString())); });
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    for (const std::string& name : names) {
        plan.Add(schema::Node(schema::NodeKind::Collation, schema::key::Collation(name), {},
                              [&log, &s, &d, name] { CreateCollation(log, s, d, name); }));
    }
    db::ForEachRow(s,
                   "select RDB$CHARACTER_SET_NAME, RDB$DEFAULT_COLLATE_NAME from RDB$CHARACTER_SETS "
                   "where RDB$DEFAULT_COLLATE_NAME <> RDB$CHARACTER_SET_NAME",
                   [&](db::DbCursorSet& row) {
                       const std::string set = TrimRight(row.Fields(0).AsString());
                       const std::string collation = TrimRight(row.Fields(1).AsString());
                       // A set whose texts are converted into another declares nothing any more.
                       if (db::ActiveTextConversion().Converts(set)) return;
                       plan.Add(schema::Node(schema::NodeKind::CharacterSetDefault, schema::key::CharacterSet(set),
                                             {schema::key::Collation(collation)}, [&log, &d, set, collation] {
                                                 SetDefaultCollation(log, d, set, collation);
                                             }));
                   });
}

}  // namespace dravik::frames
