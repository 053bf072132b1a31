#include "verify/compare.h"

#include "verify/background_digests.h"
#include "verify/catalogue_items.h"
#include "verify/catalogue_rows.h"
#include "verify/dialect_migration.h"
#include "verify/converted_texts.h"
#include "verify/item_definition.h"
#include "verify/read_snapshot.h"

#include <algorithm>
#include <optional>
#include <atomic>
#include <future>
#include <map>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>

namespace dravik::verify {

namespace {

// Texts are compared as their stored bytes only when the attachment does not
// transliterate them.
void RequireCharacterSetNone(db::DbConnection& connection) {
    std::string charset;
    ForEachCatalogueRow(connection,
               "SELECT MON$CHARACTER_SET_ID FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION",
               [&](db::DbCursorSet& row) { charset = row.Fields(0).AsString(); });
    if (charset != "0")
        throw std::invalid_argument("Compare needs an attachment with character set NONE: " +
                                    connection.DatabaseName());
}

using ItemsByIdentity = std::map<std::string, std::map<std::string, std::string>>;  // kind -> identity -> definition

ItemsByIdentity ByKind(const std::vector<CatalogueItem>& items) {
    ItemsByIdentity byKind;
    for (const CatalogueItem& item : items) byKind[item.kind][item.identity] = item.definition;
    return byKind;
}

std::vector<KindComparison> CompareItems(const ItemsByIdentity& a, const ItemsByIdentity& b) {
    std::set<std::string> kinds;
    for (const auto& [kind, items] : a) kinds.insert(kind);
    for (const auto& [kind, items] : b) kinds.insert(kind);
    const std::map<std::string, std::string> none;
    std::vector<KindComparison> result;
    for (const std::string& kind : kinds) {
        const auto inA = a.find(kind);
        const auto inB = b.find(kind);
        const auto& itemsA = inA == a.end() ? none : inA->second;
        const auto& itemsB = inB == b.end() ? none : inB->second;
        KindComparison comparison{kind, {}, {}, {}, 0};
        for (const auto& [identity, definition] : itemsA) {
            const auto other = itemsB.find(identity);
            if (other == itemsB.end())
                comparison.onlyInA.push_back(identity);
            else if (other->second != definition)
                comparison.differing.push_back({identity, definition, other->second});
            else
                ++comparison.equal;
        }
        for (const auto& [identity, definition] : itemsB)
            if (!itemsA.count(identity)) comparison.onlyInB.push_back(identity);
        result.push_back(std::move(comparison));
    }
    return result;
}

std::vector<std::string> TablesToCompare(const std::vector<std::string>& inA, const std::vector<std::string>& inB,
                                         const CompareOptions& options) {
    std::vector<std::string> both;
    std::set_intersection(inA.begin(), inA.end(), inB.begin(), inB.end(), std::back_inserter(both));
    if (options.tables.empty()) return both;
    std::vector<std::string> chosen;
    for (const std::string& table : both)
        if (std::find(options.tables.begin(), options.tables.end(), table) != options.tables.end())
            chosen.push_back(table);
    return chosen;
}

// Runs the work on both sides at the same time, side b on a thread of its
// own: almost all of a comparison is the engine and the client reading rows,
// and two attachments are read in parallel. Each connection is used by one
// thread only. A failure of side a is the one rethrown when both fail (the
// other side is waited for first); one connection given as both sides is
// read twice, one after the other.
template <typename Work>
auto OnBothSides(db::DbConnection& a, db::DbConnection& b, const Work& work) {
    using Result = decltype(work(a));
    if (&a == &b) {
        Result first = work(a);
        return std::pair<Result, Result>(std::move(first), work(b));
    }
    std::future<Result> other = std::async(std::launch::async, [&] { return work(b); });
    Result first = work(a);  // should it throw, the future's destructor waits for side b
    return std::pair<Result, Result>(std::move(first), other.get());
}

struct SideCatalogue {
    std::vector<CatalogueItem> items;  // in scope
    std::vector<std::string> tables;   // stored tables, when rows are compared
};

// Start of a UTF-8 character at or before the position.
size_t CharacterStart(const std::string& text, size_t at) {
    while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
    return at;
}

// The part of the value worth showing: all of it when short, else a window
// that starts a little before the first byte where the two values differ.
std::string Excerpt(const std::string& value, size_t start) {
    constexpr size_t kWidth = 80;
    if (value.size() <= kWidth) return value;
    start = CharacterStart(value, std::min(start, value.size()));
    size_t end = start + kWidth;
    if (end >= value.size()) end = value.size();
    else end = CharacterStart(value, end);
    return (start > 0 ? "..." : "") + value.substr(start, end - start) + (end < value.size() ? "..." : "");
}

std::string ValuePair(const std::string* a, const std::string* b) {
    if (!a || !b) return (a ? Excerpt(*a, 0) : "<none>") + " | " + (b ? Excerpt(*b, 0) : "<none>");
    const size_t common = static_cast<size_t>(std::mismatch(a->begin(), a->end(), b->begin(), b->end()).first - a->begin());
    const size_t start = common > 30 ? common - 30 : 0;
    return Excerpt(*a, start) + " | " + Excerpt(*b, start);
}

void DescribeDefinitionDifference(const std::string& subject, const DefinitionDifference& difference,
                                  std::vector<std::string>& lines) {
    std::map<std::string, std::string> a, b;
    std::vector<std::string> keys;  // in the order of the definitions
    for (auto& [key, value] : SplitDefinition(difference.a)) {
        keys.push_back(key);
        a[key] = value;
    }
    for (auto& [key, value] : SplitDefinition(difference.b)) {
        if (!a.count(key)) keys.push_back(key);
        b[key] = value;
    }
    for (const std::string& key : keys) {
        const auto inA = a.find(key);
        const auto inB = b.find(key);
        const std::string* valueA = inA == a.end() ? nullptr : &inA->second;
        const std::string* valueB = inB == b.end() ? nullptr : &inB->second;
        if (valueA && valueB && *valueA == *valueB) continue;
        lines.push_back(subject + ": " + key + " differs: " + ValuePair(valueA, valueB));
    }
}

}  // namespace

bool Comparison::Equal() const {
    return std::all_of(kinds.begin(), kinds.end(), [](const KindComparison& k) { return k.Equal(); }) &&
           std::all_of(tables.begin(), tables.end(), [](const TableRowsComparison& t) { return t.Equal(); });
}

Comparison CompareDatabases(db::DbConnection& a, db::DbConnection& b, const CompareOptions& options) {
    ReadSnapshot snapshotA(a);
    ReadSnapshot snapshotB(b);
    auto [catalogueA, catalogueB] = OnBothSides(a, b, [&](db::DbConnection& side) {
        RequireCharacterSetNone(side);
        std::vector<CatalogueItem> items = ReadCatalogueItems(side);
        if (&side == &a) MapConvertedItems(items, options.convertedA);
        SideCatalogue catalogue{ItemsInScope(items, options.scope), {}};
        if (options.rows) catalogue.tables = ReadStoredTables(side);
        return catalogue;
    });
    if (options.migratedToDialect3) AsMigratedToDialect3(catalogueA.items);
    Comparison comparison;
    comparison.kinds = CompareItems(ByKind(catalogueA.items), ByKind(catalogueB.items));
    if (!options.rows) return comparison;
    const std::vector<std::string> tables = TablesToCompare(catalogueA.tables, catalogueB.tables, options);
    // The stop request is asked on the caller's thread; the other side
    // learns of it through the flag.
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> stopped = false;
    const auto checkStop = [&] {
        if (std::this_thread::get_id() == caller && options.stopRequested && options.stopRequested()) stopped = true;
        if (stopped) throw ComparisonStopped();
    };
    comparison.key = options.digestedA   ? options.digestedA->Key()
                     : options.digestedB ? options.digestedB->Key()
                                         : DigestKey::Fresh();
    const auto takenUnderKey = [&](DigestsAhead* digested) -> const TakenDigests* {
        if (!digested || digested->Key() != comparison.key) return nullptr;
        return digested->Take(checkStop);
    };
    auto [digestsA, digestsB] = OnBothSides(a, b, [&](db::DbConnection& side) {
        const bool sideA = &side == &a;
        const TakenDigests* taken = takenUnderKey(sideA ? options.digestedA : options.digestedB);
        std::vector<TableDigest> digests;
        digests.reserve(tables.size());
        // Read once for many tables (in this side's snapshot), when needed.
        std::optional<StoredColumnsOfTables> known;
        for (const std::string& table : tables) {
            if (taken) {
                const auto digested = taken->tables.find(table);
                if (digested != taken->tables.end()) {
                    digests.push_back(digested->second);
                    continue;
                }
            }
            checkStop();
            if (!known && tables.size() > 1) known.emplace(side);
            digests.push_back(DigestTable(side, table, comparison.key, 0,
                                          sideA ? options.convertedA : db::TextConversion{}, &stopped,
                                          known ? &*known : nullptr));
        }
        return digests;
    });
    for (size_t i = 0; i < tables.size(); ++i) comparison.tables.push_back({tables[i], digestsA[i], digestsB[i]});
    return comparison;
}

std::vector<std::string> DescribeDifferences(const Comparison& comparison, const std::string& nameA,
                                             const std::string& nameB) {
    std::vector<std::string> lines;
    for (const KindComparison& kind : comparison.kinds) {
        for (const std::string& identity : kind.onlyInA)
            lines.push_back(kind.kind + " " + EscapeLine(identity) + ": only in " + nameA);
        for (const std::string& identity : kind.onlyInB)
            lines.push_back(kind.kind + " " + EscapeLine(identity) + ": only in " + nameB);
        for (const DefinitionDifference& difference : kind.differing)
            DescribeDefinitionDifference(kind.kind + " " + EscapeLine(difference.identity), difference, lines);
    }
    for (const TableRowsComparison& table : comparison.tables) {
        if (table.a.rows != table.b.rows)
            lines.push_back("table " + table.table + ": rows " + std::to_string(table.a.rows) + " vs " +
                            std::to_string(table.b.rows));
        else if (!table.Equal())
            lines.push_back("table " + table.table + ": rows differ (" + std::to_string(table.a.rows) + " each)");
    }
    return lines;
}

}  // namespace dravik::verify
