// A table's triggers, recreated from their stored source in the completion
// pass, after the rows are copied.
#include "frames/fr_select_table.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

namespace {

// RDB$SYSTEM_FLAG of an ordinary user trigger. Triggers the server made for
// a CHECK constraint (3) or a view's check option (5) carry a source too, but
// they are the constraint's, not statements of their own.
constexpr int kUserTrigger = 0;

// Table-trigger codes stay below this; database and DDL triggers start here.
constexpr int kFirstDatabaseTriggerType = 8192;

}  // namespace

// RDB$TRIGGER_TYPE of a table trigger: type + 1 has the phase in bit 0
// (0 BEFORE, 1 AFTER) and up to three actions in the 2-bit groups from bit 1
// on (1 INSERT, 2 UPDATE, 3 DELETE), so 1..6 are the single-action kinds and
// e.g. 17 = BEFORE INSERT OR UPDATE, 114 = AFTER INSERT OR UPDATE OR DELETE.
std::string TFrame_select_table::TriggerEventWords(int triggerType) {
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

void TFrame_select_table::CreateTriggers(DbConnection& source, DbConnection& destination, const std::string& table) {
    auto triggers = NewQuery(source, "select * from RDB$TRIGGERS where  RDB$RELATION_NAME = " + QuoteLiteral(table) +
                                         " and RDB$SYSTEM_FLAG<>1 and RDB$TRIGGER_SOURCE IS NOT NULL;");
    try {
        for (triggers->Open(); !triggers->Eof(); triggers->Next()) {
            if (triggers->FieldByName("RDB$SYSTEM_FLAG").AsInteger() != kUserTrigger) continue;
            const bool inactive = triggers->FieldByName("RDB$TRIGGER_INACTIVE").AsInteger() == 1;
            const std::string s = "CREATE TRIGGER " + triggers->FieldByName("RDB$TRIGGER_NAME").AsString() +
                                  "\r\n FOR " + table + "\r\n" + (inactive ? "INACTIVE " : "") +
                                  TriggerEventWords(triggers->FieldByName("RDB$TRIGGER_TYPE").AsInteger()) +
                                  "\r\nPOSITION " + triggers->FieldByName("RDB$TRIGGER_SEQUENCE").AsString() +
                                  "\r\n" + triggers->FieldByName("RDB$TRIGGER_SOURCE").AsString();
            ExecStatement(destination, s);
            LogOk("TRIGGER ", table);
        }
    } catch (const std::exception& e) {
        LogError("TRIGGER" + table, e.what());
    }
}

}  // namespace dravik::frames
