#include "verify/converted_texts.h"

#include "verify/item_definition.h"

#include <algorithm>

namespace dravik::verify {

namespace {

constexpr int kChar = 14, kVarchar = 37, kBlob = 261;

std::string MappedDefinition(const std::string& text, const db::TextConversion& conversion) {
    auto lines = SplitDefinition(text);
    const auto value = [&](const char* key) -> std::string* {
        for (auto& [k, v] : lines)
            if (k == key) return &v;
        return nullptr;
    };
    std::string* charset = value("character set");
    if (charset && conversion.Converts(*charset)) {
        const std::string* type = value("type");
        const bool varying = type && *type == "VARCHAR";
        *charset = conversion.newSet;
        if (std::string* characters = value("character length"); characters && !characters->empty()) {
            const int kept = std::min(std::atoi(characters->c_str()), conversion.MaxCharacters(varying));
            *characters = std::to_string(kept);
            if (std::string* length = value("length"))
                *length = std::to_string(kept * conversion.newSetBytesPerCharacter);
        }
    }
    // A domain's column names no character set, only its collation.
    if (std::string* collation = value("collation"); collation && conversion.convertedCollations.count(*collation))
        *collation = conversion.newSet;
    for (auto& [key, v] : lines) {
        if (HoldsStoredText(key))
            v = EscapeLine(conversion.RewriteDeclarations(conversion.StoredBytesAsUtf8(UnescapeLine(v))));
        if (key == "message") v = EscapeLine(conversion.StoredBytesAsUtf8(UnescapeLine(v)));
    }
    std::string mapped;
    for (const auto& [key, v] : lines) mapped += key + ": " + v + "\n";
    return mapped;
}

}  // namespace

std::string ConvertedColumnSql(const db::TextConversion& conversion, const TextColumn& column) {
    const bool text = column.type == kChar || column.type == kVarchar;
    const bool textBlob = column.type == kBlob && column.subType == 1;
    if ((!text && !textBlob) || !conversion.Converts(column.charset)) return column.quotedName;
    std::string type;
    if (textBlob) {
        type = "BLOB SUB_TYPE TEXT";
    } else {
        const int characters = std::min(column.characterLength, conversion.MaxCharacters(column.type == kVarchar));
        type = std::string(column.type == kChar ? "CHAR(" : "VARCHAR(") + std::to_string(characters) + ")";
    }
    std::string from = column.quotedName;
    // NONE takes any character set without transliteration: its bytes are
    // first declared in the code page they are in.
    if (column.charset == "NONE") from = "CAST(" + from + " AS " + type + " CHARACTER SET " + conversion.noneAs + ")";
    return "CAST(" + from + " AS " + type + " CHARACTER SET " + conversion.newSet + ")";
}

void MapConvertedItems(std::vector<CatalogueItem>& items, const db::TextConversion& conversion) {
    if (!conversion.Active()) return;
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&](const CatalogueItem& item) {
                                   return item.kind == "character set" && conversion.Converts(item.identity);
                               }),
                items.end());
    for (CatalogueItem& item : items) item.definition = MappedDefinition(item.definition, conversion);
}

}  // namespace dravik::verify
