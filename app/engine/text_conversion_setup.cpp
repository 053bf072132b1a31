// The text conversion a job asks for, its names read from the source's
// catalogue: the canonical name of an alias ("UTF-8" is UTF8) and the
// collations of the new set.
#include "app/engine/clone_job.h"
#include "frames/declareSQL.h"

#include <algorithm>

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
    auto sets = frames::NewQuery(srcDb, "select RDB$CHARACTER_SET_ID, RDB$CHARACTER_SET_NAME from RDB$CHARACTER_SETS");
    for (sets->Open(); !sets->Eof(); sets->Next()) {
        const std::string name = frames::Trim(sets->Fields(1).AsString());
        conversion.charsetNames[sets->Fields(0).AsInteger()] = name;
        if (name == conversion.newSet) conversion.newSetId = sets->Fields(0).AsInteger();
    }
    sets->Close();
    auto collations = frames::NewQuery(srcDb, "select co.RDB$COLLATION_NAME, cs.RDB$CHARACTER_SET_NAME, "
                                              "cs.RDB$BYTES_PER_CHARACTER from RDB$COLLATIONS co join "
                                              "RDB$CHARACTER_SETS cs on cs.RDB$CHARACTER_SET_ID = "
                                              "co.RDB$CHARACTER_SET_ID");
    for (collations->Open(); !collations->Eof(); collations->Next()) {
        const std::string set = frames::Trim(collations->Fields(1).AsString());
        if (conversion.Converts(set))
            conversion.convertedCollations.insert(frames::Trim(collations->Fields(0).AsString()));
        if (set == conversion.newSet)
            conversion.newSetBytesPerCharacter = std::max(1, collations->Fields(2).AsInteger());
    }
    collations->Close();
    return conversion;
}

}  // namespace dravik::engine
