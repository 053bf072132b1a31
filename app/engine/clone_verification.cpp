#include "app/engine/clone_verification.h"

#include "app/engine/clone_job.h"
#include "db/text_conversion.h"
#include "frames/declareSQL.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace dravik::engine {

namespace {

// More tables than this, all equal, are one summary line.
constexpr size_t kTablesListed = 20;

// The picked names of a frame, as stored (no trailing blanks); the
// procedures page's functions, packages and database triggers go to their
// own sets by their kind.
void AddPicked(const frames::TFrame_select& frame, std::set<std::string>& names, verify::CompareScope* routines = nullptr) {
    for (int i = 0; i < frame.SelectedCount(); ++i) {
        const controls::TQorListItem& item = frame.SelectedItem(i);
        std::set<std::string>* target = &names;
        if (routines && item.Kind == schema::ObjectKind::Function) target = &routines->functions;
        if (routines && item.Kind == schema::ObjectKind::Package) target = &routines->packages;
        if (routines && item.Kind == schema::ObjectKind::DatabaseTrigger) target = &routines->databaseTriggers;
        target->insert(frames::TrimRight(item.ObjectName));
    }
}

// Whether the job copies every object the source offers: only the frames'
// picks say so, whatever option or page left some out.
bool EveryObjectPicked(TCloneJob& job) {
    for (const frames::TFrame_select* frame : job.Frames())
        if (frame != &job.Frame_select_data && frame->srcList.Count() > 0) return false;
    return true;
}

std::string Seconds(std::chrono::steady_clock::duration elapsed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(elapsed).count());
    return text;
}

void WriteKinds(TCloneJob& job, const verify::Comparison& comparison) {
    for (const verify::KindComparison& kind : comparison.kinds) {
        const size_t differing = kind.onlyInA.size() + kind.onlyInB.size() + kind.differing.size();
        const std::string equal = std::to_string(kind.equal) + " equal";
        if (differing == 0)
            job.LogOk(kind.kind, equal);
        else
            job.LogNote(kind.kind, equal + ", " + std::to_string(differing) + " different");
    }
    verify::Comparison kindsOnly;
    kindsOnly.kinds = comparison.kinds;
    for (const std::string& line : verify::DescribeDifferences(kindsOnly, "source", "destination"))
        job.LogError("Verification", line);
}

void WriteTables(TCloneJob& job, const verify::Comparison& comparison) {
    size_t equalTables = 0;
    std::int64_t equalRows = 0;
    for (const verify::TableRowsComparison& table : comparison.tables)
        if (table.Equal()) {
            ++equalTables;
            equalRows += table.a.rows;
        }
    const bool summarise = equalTables > kTablesListed;
    if (summarise)
        job.LogOk("rows", std::to_string(equalTables) + " tables, " + std::to_string(equalRows) + " rows, equal");
    for (const verify::TableRowsComparison& table : comparison.tables) {
        if (table.Equal()) {
            if (!summarise) job.LogOk(table.table, std::to_string(table.a.rows) + " rows, equal");
        } else if (table.a.rows != table.b.rows) {
            job.LogError(table.table, std::to_string(table.a.rows) + " rows in the source, " +
                                          std::to_string(table.b.rows) + " in the destination");
        } else {
            job.LogError(table.table, std::to_string(table.a.rows) + " rows, values differ");
        }
    }
}

// The tables created whose rows were not chosen: their rows are not
// compared, and said so, so that no empty table passes for a copy.
void WriteTablesNotChosen(TCloneJob& job) {
    const controls::TQorListItems& notChosen = job.Frame_select_data.srcList;
    const std::string text = "rows not copied (not chosen)";
    if (static_cast<size_t>(notChosen.Count()) > kTablesListed) {
        job.LogNote("rows", std::to_string(notChosen.Count()) + " tables: " + text);
        return;
    }
    for (int i = 0; i < notChosen.Count(); ++i) job.LogNote(frames::TrimRight(notChosen.Item(i).ObjectName), text);
}

// The tables picked for their rows, by exact name.
std::vector<std::string> TablesForRows(TCloneJob& job) {
    std::set<std::string> tables;
    AddPicked(job.Frame_select_data, tables);
    return {tables.begin(), tables.end()};
}

}  // namespace

verify::CompareOptions CloneCompareOptions(TCloneJob& job) {
    verify::CompareOptions options;
    verify::CompareScope& scope = options.scope;
    scope.roles = job.settings.createRoles;
    scope.privileges = job.settings.grant;
    scope.defaultCharacterSet = frames::Trim(job.settings.defaultCharset).empty();
    scope.generatorValues = job.settings.useGeneratorValues;
    scope.dialect = job.DestinationDialect() == job.SourceDialect();
    options.migratedToDialect3 = job.MigratesToDialect3();
    scope.pageSize = job.DestinationPageSize() == job.SourcePageSize();
    // Texts converted on the way are compared as converted.
    options.convertedA = job.AskedTextConversion();
    if (!EveryObjectPicked(job)) {
        scope.picked = true;
        AddPicked(job.Frame_select_udf, scope.functions);
        AddPicked(job.Frame_select_domain, scope.domains);
        AddPicked(job.Frame_select_generator, scope.generators);
        AddPicked(job.Frame_select_exception, scope.exceptions);
        AddPicked(job.Frame_select_procedure, scope.procedures, &scope);
        AddPicked(job.Frame_select_table1, scope.relations);
        AddPicked(job.Frame_select_view, scope.relations);
    }
    options.tables = TablesForRows(job);
    options.rows = !options.tables.empty();  // no tables named would mean every table
    return options;
}

namespace {

// One table's rows as the copy reads them.
class CopiedTableWatch : public frames::SourceRowWatch {
public:
    CopiedTableWatch(std::unique_ptr<verify::StreamedTableDigest> digest, std::function<void(verify::TableDigest)> done)
        : digest_(std::move(digest)), done_(std::move(done)) {}
    // A digest that fails (a blob it cannot read) is dropped, never the
    // copy: the verification then reads the table itself.
    void Row(db::DbCursorSet& source) override {
        if (!digest_) return;
        try {
            digest_->Row(source);
        } catch (const std::exception&) {
            digest_.reset();
        }
    }
    void AllRead() override {
        if (digest_) done_(digest_->Finish());
    }

private:
    std::unique_ptr<verify::StreamedTableDigest> digest_;
    std::function<void(verify::TableDigest)> done_;
};

}  // namespace

const verify::TakenDigests* DigestsOfTheCopy::Take(const std::function<void()>&) {
    std::lock_guard<std::mutex> lock(mutex_);
    return &taken_;
}

std::unique_ptr<frames::SourceRowWatch> DigestsOfTheCopy::Watch(const std::string& table, db::DbCursorSet& source) {
    std::unique_ptr<verify::StreamedTableDigest> digest;
    try {
        digest = verify::StreamedTableDigest::For(source.Connection(), table, source, taken_.key,
                                                  &Columns(source.Connection()));
    } catch (const std::exception&) {
        // Unwatched: the verification reads this table's rows itself.
    }
    if (!digest) return nullptr;
    return std::make_unique<CopiedTableWatch>(std::move(digest), [this, table](verify::TableDigest rows) {
        std::lock_guard<std::mutex> lock(mutex_);
        taken_.tables[table] = rows;
    });
}

const verify::StoredColumnsOfTables& DigestsOfTheCopy::Columns(db::DbConnection& source) {
    if (!columns_) columns_ = std::make_unique<verify::StoredColumnsOfTables>(source);
    return *columns_;
}

void DigestsOfTheCopy::NoRows(const std::string& table, db::DbConnection& source) {
    // Known empty in the copy's snapshot: its digest needs only its columns.
    std::optional<verify::TableDigest> none;
    try {
        none = verify::DigestOfNoRows(Columns(source), table, taken_.key);
    } catch (const std::exception&) {
        // Unknown: the verification reads this table itself.
    }
    if (!none) return;
    std::lock_guard<std::mutex> lock(mutex_);
    taken_.tables[table] = *none;
}

RowsDigestedAhead::RowsDigestedAhead(TCloneJob& job)
    : job_(job), tables_(job.settings.verify ? TablesForRows(job) : std::vector<std::string>{}),
      key_(verify::DigestKey::Fresh()) {}

void RowsDigestedAhead::BeforeCopy() {
    if (tables_.empty()) return;
    if (!job_.Frame_select_data.serverSource) {
        if (!db::ActiveTextConversion().Active() && !job_.MigratesToDialect3() &&
            frames::Trim(job_.settings.srcCodePage) == "NONE")
            ofTheCopy_ = std::make_unique<DigestsOfTheCopy>(key_);
        return;
    }
    try {
        source_ = std::make_unique<verify::BackgroundDigests>(job_.AttachSourceAgain("NONE"), tables_, key_);
    } catch (const std::exception&) {
        // The verification reads the source itself, and says why it cannot.
    }
}

void RowsDigestedAhead::AfterCopy() {
    if (tables_.empty()) return;
    try {
        destination_ = std::make_unique<verify::BackgroundDigests>(job_.AttachDestinationAgain("NONE"), tables_, key_);
    } catch (const std::exception&) {
        // As above: what is not digested ahead is read by the verification.
    }
}

verify::DigestsAhead* RowsDigestedAhead::Source() const {
    if (source_) return source_.get();
    return ofTheCopy_.get();
}

void RowsDigestedAhead::FinishDestination() {
    struct WaitStopped {};
    if (!destination_) return;
    try {
        destination_->Take([this] {
            job_.ProcessEvents();
            if (job_.StopRequested()) throw WaitStopped{};
        });
    } catch (const WaitStopped&) {
        destination_.reset();  // stops its reading between two rows
    }
}

bool VerifyClone(TCloneJob& job, const RowsDigestedAhead* ahead) {
    const auto start = std::chrono::steady_clock::now();
    job.LogOk("", "");
    job.LogNote("Verification", "the destination compared with the source");
    const auto stopRequested = [&job] {
        job.ProcessEvents();
        return job.StopRequested();
    };
    bool stopped = false;
    try {
        job.ConnectSource("NONE");
        job.ConnectDestination("NONE");
        verify::CompareOptions options = CloneCompareOptions(job);
        options.stopRequested = stopRequested;
        if (ahead) {
            options.digestedA = ahead->Source();
            options.digestedB = ahead->Destination();
        }
        const verify::Comparison comparison = verify::CompareDatabases(job.srcDb, job.dstDb, options);
        stopped = stopRequested();
        if (!stopped) {
            WriteKinds(job, comparison);
            WriteTables(job, comparison);
            WriteTablesNotChosen(job);
            job.RecordVerification(comparison, "");
        }
    } catch (const verify::ComparisonStopped&) {
        stopped = true;
    } catch (const std::exception& e) {
        job.LogError("Verification", std::string("not done: ") + e.what());
        job.RecordVerification(std::nullopt, e.what());
    }
    CommitAndDisconnect(job.srcDb);
    CommitAndDisconnect(job.dstDb);
    if (stopped) job.LogNote("Verification", "stopped");
    job.LogOk("Verification time", Seconds(std::chrono::steady_clock::now() - start));
    return !stopped;
}

}  // namespace dravik::engine
