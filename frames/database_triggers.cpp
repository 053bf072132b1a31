#include "frames/database_triggers.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

#include <stdexcept>

namespace dravik::frames {

namespace {

constexpr std::int64_t kDatabaseTrigger = 8192;  // the kind bits of RDB$TRIGGER_TYPE
constexpr std::int64_t kDdlTrigger = 16384;
constexpr std::int64_t kKindMask = kDatabaseTrigger | kDdlTrigger;

// DDL events in the order of their bits: events 1 to 12 take bits 1 to 12,
// the later ones start at bit 16 (bits 13 and 14 hold the trigger's kind).
const char* const kDdlEvents[] = {
    "CREATE TABLE",     "ALTER TABLE",      "DROP TABLE",        "CREATE PROCEDURE", "ALTER PROCEDURE",
    "DROP PROCEDURE",   "CREATE FUNCTION",  "ALTER FUNCTION",    "DROP FUNCTION",    "CREATE TRIGGER",
    "ALTER TRIGGER",    "DROP TRIGGER",     "CREATE EXCEPTION",  "ALTER EXCEPTION",   "DROP EXCEPTION",
    "CREATE VIEW",      "ALTER VIEW",       "DROP VIEW",         "CREATE DOMAIN",    "ALTER DOMAIN",
    "DROP DOMAIN",      "CREATE ROLE",      "ALTER ROLE",        "DROP ROLE",        "CREATE INDEX",
    "ALTER INDEX",      "DROP INDEX",       "CREATE SEQUENCE",   "ALTER SEQUENCE",   "DROP SEQUENCE",
    "CREATE USER",      "ALTER USER",       "DROP USER",         "CREATE COLLATION", "DROP COLLATION",
    "ALTER CHARACTER SET", "CREATE PACKAGE", "ALTER PACKAGE",    "DROP PACKAGE",     "CREATE PACKAGE BODY",
    "DROP PACKAGE BODY", "CREATE MAPPING",  "ALTER MAPPING",     "DROP MAPPING"};
constexpr int kDdlEventCount = sizeof kDdlEvents / sizeof kDdlEvents[0];

int EventBit(int event) { return event <= 12 ? event : event + 3; }  // event counted from 1

void CreateDatabaseTrigger(TFrame_select& frame, const schema::SourceCatalogue& catalogue, DbConnection& destination,
                           const std::string& name) {
    try {
        const schema::CatalogueRow* trigger = catalogue.Trigger(name);
        if (!trigger) throw std::runtime_error("the source has no trigger " + name);
        const schema::CatalogueValue& text = trigger->FieldByName("RDB$TRIGGER_SOURCE");
        if (text.IsNull()) throw std::runtime_error("the source keeps no text of trigger " + name);
        const std::string events = DatabaseTriggerEvents(trigger->FieldByName("RDB$TRIGGER_TYPE").AsInt64());
        if (events.empty()) throw std::runtime_error("trigger " + name + " has a type the copy does not know");
        const std::string s = "CREATE TRIGGER " + QuoteIdentifier(name) + "\r\n" +
                              (trigger->FieldByName("RDB$TRIGGER_INACTIVE").AsInteger() == 1 ? "INACTIVE " : "ACTIVE ") +
                              events + "\r\nPOSITION " + trigger->FieldByName("RDB$TRIGGER_SEQUENCE").AsString() +
                              "\r\n" + db::EmbedStoredText(text.AsString());
        ExecStatement(destination, s);
        frame.LogOk("TRIGGER ", name);
    } catch (const std::exception& e) {
        frame.LogError("TRIGGER " + name, e.what());
    }
}

}  // namespace

std::string DatabaseTriggerEvents(std::int64_t type) {
    if ((type & kKindMask) == kDatabaseTrigger) {
        static const char* const kDatabaseEvents[] = {"ON CONNECT", "ON DISCONNECT", "ON TRANSACTION START",
                                                      "ON TRANSACTION COMMIT", "ON TRANSACTION ROLLBACK"};
        const std::int64_t event = type - kDatabaseTrigger;
        return event >= 0 && event < 5 ? kDatabaseEvents[event] : "";
    }
    if ((type & kKindMask) != kDdlTrigger) return {};
    std::string words = (type & 1) ? "AFTER " : "BEFORE ";
    std::string events;
    bool every = true;
    for (int event = 1; event <= kDdlEventCount; ++event) {
        if (type & (std::int64_t{1} << EventBit(event)))
            events += (events.empty() ? "" : " OR ") + std::string(kDdlEvents[event - 1]);
        else
            every = false;
    }
    if (events.empty()) return {};
    return words + (every ? "ANY DDL STATEMENT" : events);
}

void PlanDatabaseTrigger(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context,
                         const std::string& name) {
    DbConnection& d = context.destination;
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    const std::string key = schema::key::Trigger(name);
    plan.Add(Node(NodeKind::DatabaseTrigger, key, context.Links().Of(key),
                  [&frame, &d, catalogue, name] { CreateDatabaseTrigger(frame, *catalogue, d, name); }));
}

}  // namespace dravik::frames
