#include "verify/dialect_migration.h"

#include "db/dialect_migration.h"
#include "verify/item_definition.h"

#include <array>
#include <string_view>

namespace dravik::verify {

namespace {

// The attributes whose values are stored SQL texts.
constexpr std::array<std::string_view, 8> kStoredTextKeys = {"default",    "check",  "computed", "expression",
                                                             "source",     "header", "body",     "view source"};

bool IsStoredText(const std::string& key) {
    for (std::string_view text : kStoredTextKeys)
        if (key == text) return true;
    return false;
}

// The value as stored, EscapeLine undone.
std::string Unescaped(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::string MigratedDefinition(const std::string& definition) {
    const auto lines = SplitDefinition(definition);
    bool isDouble = false;
    for (const auto& [key, value] : lines)
        if (key == "type" && value == "DOUBLE PRECISION") isDouble = true;
    std::string out;
    for (const auto& [key, value] : lines) {
        std::string migrated = value;
        if (IsStoredText(key)) migrated = EscapeLine(db::Dialect3Text(Unescaped(value)));
        if (key == "scale" && isDouble) migrated = "0";
        out += key + ": " + migrated + "\n";
    }
    return out;
}

}  // namespace

void AsMigratedToDialect3(std::vector<CatalogueItem>& items) {
    static constexpr std::string_view kCheckOn = "CHECK on ";
    for (CatalogueItem& item : items) {
        item.definition = MigratedDefinition(item.definition);
        // An unnamed check is known by its text.
        const size_t text = item.identity.find(": ");
        if (item.kind == "constraint" && item.identity.rfind(kCheckOn, 0) == 0 && text != std::string::npos)
            item.identity = item.identity.substr(0, text + 2) + db::Dialect3Text(item.identity.substr(text + 2));
    }
}

}  // namespace dravik::verify
