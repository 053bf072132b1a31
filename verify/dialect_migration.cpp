#include "verify/dialect_migration.h"

#include "db/dialect_migration.h"
#include "verify/item_definition.h"


namespace dravik::verify {

namespace {

std::string MigratedDefinition(const std::string& definition) {
    const auto lines = SplitDefinition(definition);
    bool isDouble = false;
    for (const auto& [key, value] : lines)
        if (key == "type" && value == "DOUBLE PRECISION") isDouble = true;
    std::string out;
    for (const auto& [key, value] : lines) {
        std::string migrated = value;
        if (HoldsStoredText(key)) migrated = EscapeLine(db::Dialect3Text(UnescapeLine(value)));
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
