// Whether two databases hold the same schema and the same rows: their
// catalogue items (see catalogue_items.h) compared by identity and
// definition, and the digests of the tables both have (see table_digests.h).
// Both connections are opened by the caller, with character set NONE; each
// side is read in one read-only snapshot, the two sides at the same time (the
// second on a thread of its own, which alone uses its connection meanwhile).
#pragma once

#include "db/db_connection.h"
#include "db/text_conversion.h"
#include "verify/compare_scope.h"
#include "verify/table_digests.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace dravik::verify {

class DigestsAhead;

struct CompareOptions {
    // Compare the rows of the tables as well as the catalogue.
    bool rows = true;
    // Exact names of the tables whose rows are compared; empty: every table
    // both databases have.
    std::vector<std::string> tables;
    // The catalogue items compared (every one by default).
    CompareScope scope;
    // Side a is a dialect 1 database and side b its migration to dialect 3:
    // a's items are compared as the migration declares them
    // (AsMigratedToDialect3).
    bool migratedToDialect3 = false;
    // The text conversion the copy b was made with: a's texts are compared
    // as converted (see converted_texts.h). Inactive by default.
    db::TextConversion convertedA;
    // Asked on the caller's thread before each table's rows: true ends the
    // comparison with ComparisonStopped (both sides stop, the other one
    // between two rows).
    std::function<bool()> stopRequested;
    // Side a's rows digested beforehand, or still being digested (by the
    // copy, or see background_digests.h): the comparison takes their key, waits for them
    // on side a's thread while side b is read, and reads on side a only the
    // tables they lack.
    DigestsAhead* digestedA = nullptr;
    // Side b's, likewise; used only under the comparison's key (side a's
    // when both are given, so the two must share one).
    DigestsAhead* digestedB = nullptr;
};

struct DefinitionDifference {
    std::string identity;
    std::string a;  // the definitions (see ItemDefinition)
    std::string b;
};

struct KindComparison {
    std::string kind;
    std::vector<std::string> onlyInA;  // identities
    std::vector<std::string> onlyInB;
    std::vector<DefinitionDifference> differing;
    size_t equal = 0;  // items alike in both
    bool Equal() const { return onlyInA.empty() && onlyInB.empty() && differing.empty(); }
};

struct TableRowsComparison {
    std::string table;
    TableDigest a;
    TableDigest b;
    bool Equal() const { return a == b; }
};

struct Comparison {
    std::vector<KindComparison> kinds;         // every kind either database has, by name
    std::vector<TableRowsComparison> tables;   // every table compared, by name
    DigestKey key;                             // the rows' digest key, drawn fresh for this comparison
    bool Equal() const;
};

Comparison CompareDatabases(db::DbConnection& a, db::DbConnection& b, const CompareOptions& options = {});

// One short line per difference, e.g.
//   domain D_AMOUNT: check differs: check (value > 0) | check (value >= 0)
//   index IDX_NAME: only in a
//   table T: rows 10 vs 9
// Long values are cut to the neighbourhood of their first difference.
std::vector<std::string> DescribeDifferences(const Comparison& comparison, const std::string& nameA = "a",
                                             const std::string& nameB = "b");

}  // namespace dravik::verify
