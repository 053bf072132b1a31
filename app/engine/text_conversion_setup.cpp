// The text conversion a job asks for, its names read from the source's
// catalogue (the canonical name of an alias: "UTF-8" is UTF8; the character
// sets by id; the collations of the sets that convert), and the losses it
// brings to the picked tables, named before the objects are made.
#include "app/engine/clone_job.h"
#include "frames/declareSQL.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace dravik::engine {

namespace {

// The character set's name as RDB$CHARACTER_SETS holds it, for a name or an
// alias; the name itself, upper case, when the source knows neither.
std::string CanonicalCharsetName(DbConnection& source, const std::string& name) {
    const std::string asked = frames::UpperCase(frames::Trim(name));
    auto query = frames::NewQuery(source, "select cs.RDB$CHARACTER_SET_NAME from RDB$CHARACTER_SETS cs "
                                          "left join RDB$TYPES t on t.RDB$FIELD_NAME = 'RDB$CHARACTER_SET_NAME' "
                                          "and t.RDB$TYPE = cs.RDB$CHARACTER_SET_ID "
                                          "where upper(cs.RDB$CHARACTER_SET_NAME) = " + db::SqlString(asked) +
                                          " or upper(t.RDB$TYPE_NAME) = " + db::SqlString(asked));
    query->Open();
    const std::string found = query->Eof() ? asked : frames::Trim(query->Fields(0).AsString());
    query->Close();
    return found;
}

}  // namespace

db::TextConversion TCloneJob::AskedTextConversion() {
    db::TextConversion conversion;
    if (!settings.convertText) return conversion;
    conversion.newSet = CanonicalCharsetName(srcDb, DefaultCharacterSet());
    if (!frames::Trim(settings.noneAs).empty()) conversion.noneAs = CanonicalCharsetName(srcDb, settings.noneAs);
    conversion.storedBytesCodePage = conversion.noneAs.empty() ? SourceCharacterSet() : conversion.noneAs;
    db::ForEachRow(srcDb, "select RDB$CHARACTER_SET_ID, RDB$CHARACTER_SET_NAME from RDB$CHARACTER_SETS",
                   [&](db::DbCursorSet& set) {
                       const std::string name = frames::Trim(set.Fields(1).AsString());
                       conversion.charsetNames[set.Fields(0).AsInteger()] = name;
                       if (name == conversion.newSet) conversion.newSetId = set.Fields(0).AsInteger();
                   });
    db::ForEachRow(srcDb,
                   "select co.RDB$COLLATION_NAME, cs.RDB$CHARACTER_SET_NAME, cs.RDB$BYTES_PER_CHARACTER "
                   "from RDB$COLLATIONS co join RDB$CHARACTER_SETS cs on "
                   "cs.RDB$CHARACTER_SET_ID = co.RDB$CHARACTER_SET_ID",
                   [&](db::DbCursorSet& collation) {
                       const std::string set = frames::Trim(collation.Fields(1).AsString());
                       if (conversion.Converts(set))
                           conversion.convertedCollations.insert(frames::Trim(collation.Fields(0).AsString()));
                       if (set == conversion.newSet)
                           conversion.newSetBytesPerCharacter = std::max(1, collation.Fields(2).AsInteger());
                   });
    return conversion;
}

namespace {

constexpr int kChar = 14, kVarchar = 37;
// The most bytes one row of a table may take.
constexpr long kMostRowBytes = 65535;

// One stored column of a picked table as the catalogue declares it.
struct DeclaredColumn {
    std::string table, name, charset, collation;
    int type = 0, bytes = 0, characters = 0;
};

}  // namespace

void TCloneJob::NoteConversionLosses() {
    const db::TextConversion& conversion = db::ActiveTextConversion();
    if (!conversion.Active()) return;
    std::set<std::string> tables;
    for (int i = 0; i < Frame_select_table1.SelectedCount(); ++i)
        tables.insert(frames::TrimRight(Frame_select_table1.SelectedName(i)));
    std::map<std::string, std::vector<DeclaredColumn>> byTable;
    db::ForEachRow(srcDb,
                   "select rf.RDB$RELATION_NAME, rf.RDB$FIELD_NAME, cs.RDB$CHARACTER_SET_NAME, co.RDB$COLLATION_NAME, "
                   "f.RDB$FIELD_TYPE, f.RDB$FIELD_LENGTH, coalesce(f.RDB$CHARACTER_LENGTH, f.RDB$FIELD_LENGTH) "
                   "from RDB$RELATION_FIELDS rf join RDB$RELATIONS r on r.RDB$RELATION_NAME = rf.RDB$RELATION_NAME "
                   "join RDB$FIELDS f on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                   "left join RDB$CHARACTER_SETS cs on cs.RDB$CHARACTER_SET_ID = f.RDB$CHARACTER_SET_ID "
                   "left join RDB$COLLATIONS co on co.RDB$CHARACTER_SET_ID = f.RDB$CHARACTER_SET_ID and "
                   "co.RDB$COLLATION_ID = coalesce(rf.RDB$COLLATION_ID, f.RDB$COLLATION_ID, 0) "
                   "where r.RDB$VIEW_BLR is null and f.RDB$COMPUTED_BLR is null "
                   "order by rf.RDB$RELATION_NAME, rf.RDB$FIELD_POSITION",
                   [&](db::DbCursorSet& row) {
                       const auto text = [&](int i) { return frames::Trim(row.Fields(i).AsString()); };
                       DeclaredColumn c{text(0), text(1), text(2), text(3), row.Fields(4).AsInteger(),
                                        row.Fields(5).AsInteger(), row.Fields(6).AsInteger()};
                       if (tables.count(c.table)) byTable[c.table].push_back(std::move(c));
                   });

    std::map<std::string, int> newBytes;  // "T.C" -> bytes the column takes in the new set
    for (auto& [table, columns] : byTable) {
        long rowBytes = 0;
        for (DeclaredColumn& c : columns) {
            const std::string name = "column " + table + "." + c.name;
            const bool text = c.type == kChar || c.type == kVarchar;
            int bytes = c.bytes;
            if (text && conversion.Converts(c.charset)) {
                const int most = conversion.MaxCharacters(c.type == kVarchar);
                const char* keyword = c.type == kChar ? "CHAR" : "VARCHAR";
                if (c.characters > most)
                    LogError(name, std::string(keyword) + "(" + std::to_string(c.characters) + ") is longer than " +
                                       conversion.newSet + " holds: declared " + keyword + "(" +
                                       std::to_string(most) + "); a longer value is a refused row");
                bytes = std::min(c.characters, most) * conversion.newSetBytesPerCharacter;
            }
            // Asked for with the conversion, and nothing lost but an order:
            // a note. The set's default compares by the characters' codes, so
            // every key the old collation kept apart stays apart.
            if (conversion.convertedCollations.count(c.collation) && c.collation != c.charset)
                LogNote(name, "collation " + c.collation + " does not exist in " + conversion.newSet +
                                   ": declared with the set's default collation " + conversion.newSet);
            newBytes[table + "." + c.name] = bytes;
            rowBytes += bytes + (c.type == kVarchar ? 2 : 0);
        }
        if (rowBytes > kMostRowBytes)
            LogError("table " + table, "its row takes " + std::to_string(rowBytes) + " bytes in " + conversion.newSet +
                                           ", more than the " + std::to_string(kMostRowBytes) +
                                           " a row may hold: the table cannot be created");
    }

    // An index key takes at most a quarter of a page, less its header.
    const int mostKeyBytes = std::atoi(DestinationPageSize().c_str()) / 4 - 9;
    // (table, index) -> the key's bytes in the new set, and its columns.
    std::map<std::pair<std::string, std::string>, std::pair<int, std::string>> keys;
    db::ForEachRow(srcDb,
                   "select i.RDB$INDEX_NAME, i.RDB$RELATION_NAME, s.RDB$FIELD_NAME "
                   "from RDB$INDICES i join RDB$INDEX_SEGMENTS s on "
                   "s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                   "order by i.RDB$INDEX_NAME, s.RDB$FIELD_POSITION",
                   [&](db::DbCursorSet& segment) {
                       const std::string table = frames::Trim(segment.Fields(1).AsString());
                       const auto found = newBytes.find(table + "." + frames::Trim(segment.Fields(2).AsString()));
                       if (found == newBytes.end()) return;
                       auto& [bytes, columns] = keys[{table, frames::Trim(segment.Fields(0).AsString())}];
                       bytes += found->second;
                       columns += (columns.empty() ? "" : ", ") + frames::Trim(segment.Fields(2).AsString());
                   });
    for (const auto& [index, key] : keys)
        if (key.first > mostKeyBytes)
            LogError("index " + index.second + " on " + index.first + " (" + key.second + ")",
                     "its key takes up to " + std::to_string(key.first) + " bytes in " + conversion.newSet +
                         ", more than the " + std::to_string(mostKeyBytes) + " a page of " + DestinationPageSize() +
                         " bytes allows: the index cannot be created");
}

}  // namespace dravik::engine
