#include "db/packed_select.h"

#include "db/db_query.h"

#include <algorithm>

namespace dravik::db {

namespace {

// The block's text stays well under the engine's 64 KB.
constexpr size_t kMostBlockText = 48000;

std::string SlotName(const char* prefix, int slot, size_t column) {
    std::string name = prefix;
    name += std::to_string(slot);
    name += '_';
    name += std::to_string(column);
    return name;
}

// EXECUTE BLOCK RETURNS (N_ SMALLINT, S0_0 TYPE OF COLUMN T.C0, ...): a
// cursor over the table fetched into the slots of one output row, which is
// returned when all are filled, or with the last rows; N_ counts the slots
// filled.
std::string BlockText(const std::string& table, const std::vector<PackedColumn>& columns, int slots) {
    std::string returns = "N_ SMALLINT";
    std::string select;
    for (const PackedColumn& column : columns) select += (select.empty() ? "SELECT " : ", ") + column.quotedName;
    select += " FROM " + table;
    std::string body;
    for (int slot = 0; slot < slots; ++slot) {
        std::string into, inlined;
        for (size_t i = 0; i < columns.size(); ++i) {
            const std::string name = SlotName("S", slot, i);
            returns += ", " + name + " TYPE OF COLUMN " + table + "." + columns[i].quotedName;
            into += (into.empty() ? ":" : ", :") + name;
        }
        for (size_t i = 0; i < columns.size(); ++i) {
            const int bytes = columns[i].inlineBytes;
            if (bytes <= 0) continue;
            const std::string name = SlotName("I", slot, i), blob = SlotName("S", slot, i);
            returns += ", " + name + " VARCHAR(" + std::to_string(bytes) + ") CHARACTER SET OCTETS";
            inlined += name + " = NULL; IF (OCTET_LENGTH(" + blob + ") <= " + std::to_string(bytes) + ") THEN BEGIN " +
                       name + " = CAST(" + blob + " AS VARCHAR(" + std::to_string(bytes) +
                       ") CHARACTER SET OCTETS); " + blob + " = NULL; END\n";
        }
        body += "FETCH C_ INTO " + into + "; IF (ROW_COUNT = 0) THEN LEAVE; N_ = " + std::to_string(slot + 1) + ";\n" +
                inlined;
    }
    return "EXECUTE BLOCK RETURNS (" + returns + ") AS DECLARE C_ CURSOR FOR (" + select +
           ");\nBEGIN\nN_ = 0; OPEN C_;\nWHILE (1 = 1) DO BEGIN\n" + body +
           "SUSPEND; N_ = 0;\nEND\nIF (N_ > 0) THEN SUSPEND;\nCLOSE C_;\nEND";
}

}  // namespace

int RowsPerFetch(const std::vector<std::int64_t>& columnBytes, bool anyArray, int asked) {
    if (anyArray) return 1;
    std::int64_t width = 0;
    for (std::int64_t bytes : columnBytes) width += bytes + 12;  // varying length, null indicator, alignment
    const std::int64_t fit = std::min<std::int64_t>(kMostRowsPerFetch, kMostFetchBytes / std::max<std::int64_t>(width, 1));
    return static_cast<int>(std::max<std::int64_t>(1, asked > 0 ? std::min<std::int64_t>(asked, fit) : fit));
}

bool HoldsAtLeast(DbConnection& connection, const std::string& quotedTable, std::int64_t rows) {
    DbQuery count(connection, "SELECT COUNT(*) FROM (SELECT 1 AS ONE_ FROM " + quotedTable + " ROWS " + std::to_string(rows) + ")");
    count.Open();
    const bool many = count.Fields(0).AsInt64() >= rows;
    count.Close();
    return many;
}

int InlineBlobBytes(int blobColumns) {
    if (blobColumns <= 0) return 0;
    return std::max(kLeastReadInlineBlob, kReadInlineBlobBudget / blobColumns);
}

PackedSelect PackedSelectText(const std::string& quotedTable, const std::vector<PackedColumn>& columns, int slots) {
    for (; slots > 1; slots /= 2) {
        std::string text = BlockText(quotedTable, columns, slots);
        if (text.size() <= kMostBlockText) return {std::move(text), slots};
    }
    return {};
}

}  // namespace dravik::db
