#include "frames/relation_triggers.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

#include <stdexcept>

namespace dravik::frames {

namespace {

// Table-trigger codes stay below this; database and DDL triggers start here.
constexpr int kFirstDatabaseTriggerType = 8192;

void CreateTrigger(TFrame_select& frame, const schema::SourceCatalogue& catalogue, DbConnection& destination,
                   const std::string& relation, const std::string& name) {
    try {
        const schema::CatalogueRow* trigger = catalogue.Trigger(name);
        if (!trigger) throw std::runtime_error("the source has no trigger " + name);
        if (trigger->FieldByName("RDB$TRIGGER_SOURCE").IsNull())
            throw std::runtime_error("the source keeps no text of trigger " + name);
        const bool inactive = trigger->FieldByName("RDB$TRIGGER_INACTIVE").AsInteger() == 1;
        const std::string s = "CREATE TRIGGER " + QuoteIdentifier(name) + "\r\n FOR " + QuoteIdentifier(relation) +
                              "\r\n" + (inactive ? "INACTIVE " : "") +
                              TriggerEventWords(trigger->FieldByName("RDB$TRIGGER_TYPE").AsInteger()) +
                              "\r\nPOSITION " + trigger->FieldByName("RDB$TRIGGER_SEQUENCE").AsString() + "\r\n" +
                              db::EmbedStoredText(trigger->FieldByName("RDB$TRIGGER_SOURCE").AsString());
        ExecStatement(destination, s);
        frame.LogOk("TRIGGER ", relation);
    } catch (const std::exception& e) {
        frame.LogError("TRIGGER" + relation, e.what());
    }
}

}  // namespace

// RDB$TRIGGER_TYPE of a table trigger: type + 1 has the phase in bit 0
// (0 BEFORE, 1 AFTER) and up to three actions in the 2-bit groups from bit 1
// on (1 INSERT, 2 UPDATE, 3 DELETE), so 1..6 are the single-action kinds and
// e.g. 17 = BEFORE INSERT OR UPDATE, 114 = AFTER INSERT OR UPDATE OR DELETE.
std::string TriggerEventWords(int triggerType) {
    if (triggerType <= 0 || triggerType >= kFirstDatabaseTriggerType) return {};
    static const char* const kActions[] = {"", "INSERT", "UPDATE", "DELETE"};
    const unsigned code = static_cast<unsigned>(triggerType) + 1;
    std::string words = (code & 1) ? "AFTER" : "BEFORE";
    unsigned slots = code >> 1;
    for (int n = 0; n < 3 && (slots & 3) != 0; ++n, slots >>= 2)
        words += std::string(n == 0 ? " " : " OR ") + kActions[slots & 3];
    if (slots != 0 || (code >> 1) == 0) return {};  // no action, or bits beyond three actions
    return words;
}

void PlanRelationTriggers(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context,
                          const std::string& relation) {
    // User triggers only: those the server made for a CHECK constraint (3)
    // or a view's check option (5) belong to the constraint.
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    const schema::CatalogueRelation* owner = catalogue->Relation(relation);
    const std::vector<std::string> names = owner ? owner->triggers : std::vector<std::string>{};
    DbConnection& d = context.destination;
    for (const std::string& name : names) {
        const std::string key = schema::key::Trigger(name);
        std::vector<std::string> dependsOn = context.Links().Of(key);
        dependsOn.push_back(schema::key::Relation(relation));
        plan.Add(Node(NodeKind::Trigger, key, std::move(dependsOn),
                      [&frame, &d, catalogue, relation, name] {
                          CreateTrigger(frame, *catalogue, d, relation, name);
                      }));
    }
}

}  // namespace dravik::frames
