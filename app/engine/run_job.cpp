// The clone job: the destination, the schema plan before the rows, the rows
// of the picked tables, the plan after the rows, roles and privileges, the
// database triggers, and the time lines.
#include "app/engine/clone_job.h"
#include "app/engine/clone_verification.h"
#include "app/engine/deferred_forced_writes.h"
#include "app/engine/object_owners.h"
#include "db/dialect_migration.h"
#include "db/sql_text.h"
#include "db/text_conversion.h"
#include "frames/catalogue_comments.h"
#include "frames/declareSQL.h"
#include "frames/source_table_prefetch.h"

#include <optional>

namespace dravik::engine {

using frames::TFrame_select;

void TCloneJob::HandSettingsToFrames() {
    Frame_select_generator.cbGenID = settings.useGeneratorValues;
    Frame_select_data.ignoreErrors = settings.ignoreErrors;
    Frame_select_data.commitInterval = settings.CommitInterval();
    Frame_select_data.countRows = settings.countRowsForProgress;
}

bool TCloneJob::RunPass(void (TFrame_select::*pass)(DbConnection&, DbConnection&),
                        std::string (TFrame_select::*stepCode)() const) {
    for (TFrame_select* frame : Frames()) {
        const std::string step = (frame->*stepCode)();
        if (!step.empty()) ShowStep(step);
        (frame->*pass)(srcDb, dstDb);
        if (Halted()) return false;
    }
    return true;
}

JobReport TCloneJob::Ended(JobOutcome outcome) {
    sourceHold_.reset();
    report_.outcome = outcome;
    report_.finished = now();
    return report_;
}

void TCloneJob::CloseConnections() {
    for (DbConnection* connection : {&srcDb, &dstDb}) {
        try {
            CommitAndDisconnect(*connection);
        } catch (const std::exception&) {
            connection->DisconnectForced();
        }
    }
}

void TCloneJob::NoteRowsNotCopied() {
    for (const std::string& table : DataFollowsTables())
        LogNote("COPY DATA " + frames::TrimRight(table), "rows not copied: the table is not created");
    if (Frame_select_data.SelectedCount() == 0) LogNote("COPY DATA", kNoRowsChosen);
}

JobReport TCloneJob::Interrupted() {
    Frame_select_data.prefetch = nullptr;
    Frame_select_data.rowWatchers = nullptr;
    prefetch_.reset();
    if (!failed_) return Ended(JobOutcome::Stopped);
    CloseConnections();
    LogError("Database copy", "failed; the destination is incomplete");
    ui_.SetNavigationEnabled(true);
    return Ended(JobOutcome::Failed);
}

JobReport TCloneJob::RunJob() {
    report_ = JobReport{};
    HandSettingsToFrames();
    const std::time_t start = report_.started = now();
    LogOk("Start time:", FormatJobTime(start));
    ShowStep("M_DST");
    ui_.SetNavigationEnabled(false);
    stopRequested_ = failed_ = finished_ = false;
    ProcessEvents();  // a stop asked for before the job began
    // Not guarded: an unreachable source ends the job with its error.
    ReconnectSource("NONE");
    // Held open until the job ends (the command line holds it already), so
    // that its reattachments do not close it and open it again.
    if (!sourceHold_) sourceHold_.emplace(srcDb.DatabaseName(), srcDb.Params());
    LogOk("", "");  // the run log's initial text, which is empty: an empty line
    // A name no connection takes would fail only after the destination was
    // made: refused before anything is touched.
    if (const std::string wrong = CheckCodePageNames(); !wrong.empty()) {
        LogError("Code page", wrong);
        ui_.SetNavigationEnabled(true);
        return Ended(JobOutcome::DestinationFailed);
    }
    if (!CreateDestination()) {
        // A stop asked for in time left the destination untouched.
        if (stopRequested_ && !failed_) return Ended(JobOutcome::Stopped);
        ui_.SetNavigationEnabled(true);
        return Ended(JobOutcome::DestinationFailed);
    }
    // Names are written for the destination's dialect (bare in dialect 1).
    const db::NamesForDialect names(dstDb.SQLDialect());
    // A dialect 1 source asked to become dialect 3: its types and stored
    // texts are rewritten to mean the same there (db/dialect_migration.h).
    const db::Dialect1IntoDialect3 migration(MigratesToDialect3());
    // Declarations and stored texts follow the text conversion asked for.
    const db::TextConversionScope conversion(AskedTextConversion());
    try {
        return FillDestination(start);
    } catch (const std::exception& e) {
        // A reconnection or a commit failed underneath the objects.
        JobFailed("Database copy", e.what());
        return Interrupted();
    }
}

JobReport TCloneJob::FillDestination(std::time_t start) {
    // The destination is built and filled without forced writes; it gets its
    // mode back before the job ends, however it ends.
    DeferredForcedWrites fastWrites(dstDb);
    if (fastWrites.Deferred()) {
        ConnectDestination();
        fastWrites.TookEffect();
    }
    // Kept open meanwhile; let go before the forced writes come back, which
    // must not be switched while another attachment holds the database.
    std::optional<db::DatabaseHold> hold;
    hold.emplace(dstDb.DatabaseName(), dstDb.Params());
    // Declared after the hold: gone, with its attachments, before it.
    RowsDigestedAhead digestedAhead(*this);

    // Statements carry the source's catalogue texts as they are stored, in
    // UTF-8: read with code page NONE and written through a UTF-8
    // attachment, so that no text is transliterated on the way.
    ConnectDestination("UTF8");
    // The catalogue is read in one snapshot, held by the job: with code page
    // NONE for the rows too, the whole source is read at one moment.
    srcDb.DefaultTransaction().SetActive(true);
    PlanSchema();
    NoteConversionLosses();
    // Every object is made in its owner's name (see object_owners.h).
    ObjectOwners owners(*this, srcDb, dstDb, !settings.dstRemote);
    // While the destination commits the objects, the source's tables are
    // opened for the data pass (see source_table_prefetch.h).
    if (RowsReadInCatalogueSnapshot() && Frame_select_data.SelectedCount() > 0) {
        std::vector<std::string> tables;
        for (int i = 0; i < Frame_select_data.SelectedCount(); ++i) tables.push_back(Frame_select_data.SelectedName(i));
        prefetch_ = std::make_unique<frames::SourceTablePrefetch>(srcDb, std::move(tables));
    }
    if (!RunPlan(schema::Phase::BeforeData, &owners)) return Interrupted();
    owners.Finish();

    // The rows are read and written with the chosen code pages, every table
    // in the source's one read-only snapshot (kept from the catalogue reading
    // when the code page stays NONE), so the clone holds one moment of a
    // source that others write to. Started by the job, the snapshot is the
    // job's: no table's cursor ends it when it closes.
    // Converted texts are read and written through UTF-8, so that the server
    // transliterates every value from its old character set to the new one.
    const bool converting = db::ActiveTextConversion().Active();
    ReconnectSource(converting ? "UTF8" : settings.srcCodePage);
    srcDb.DefaultTransaction().SetActive(true);
    if (converting)
        ConnectDestination("UTF8");
    else
        ConnectDestination();
    NoteRowsNotCopied();
    Frame_select_data.serverSource = ServerSourceForRows();
    if (converting && Frame_select_data.serverSource) {
        Frame_select_data.serverSource.reset();
        LogNote("COPY DATA", "the rows go through Dravik, not the server: their texts are converted");
    }
    Frame_select_data.prefetch = Frame_select_data.serverSource ? nullptr : prefetch_.get();
    digestedAhead.BeforeCopy();
    Frame_select_data.rowWatchers = digestedAhead.Watchers();
    const bool copied = RunPass(&TFrame_select::CopySelectedData, &TFrame_select::CopyStepCode);
    Frame_select_data.rowWatchers = nullptr;
    Frame_select_data.prefetch = nullptr;
    prefetch_.reset();
    report_.refusedRows = Frame_select_data.RefusedRows();
    report_.tables = Frame_select_data.TableResults();
    report_.rowsBesideRefusals = Frame_select_data.RowsBesideRefusals();
    if (!copied) return Interrupted();

    ReconnectSource("NONE");
    srcDb.DefaultTransaction().SetActive(true);
    ConnectDestination("UTF8");
    // The destination's rows are final: digested for the verification while
    // the rest is made.
    digestedAhead.AfterCopy();
    if (!RunPlan(schema::Phase::AfterData)) return Interrupted();

    // Roles and privileges read the stop request themselves; a stop there does
    // not keep the job from closing the connections and writing its end.
    ShowStep("M_ROL");
    if (settings.createRoles) {
        CopyRoles(srcDb, dstDb, &owners);
        owners.Finish();
        frames::CopyRoleComments(srcDb, dstDb, *this);
        CopyMappings(srcDb, dstDb);
    }
    if (settings.grant) CopyPrivileges(srcDb, dstDb);
    if (failed_) return Interrupted();
    // Database and DDL triggers last, so that none fired while the clone was
    // built; then the grants that waited for them.
    if (!RunPlan(schema::Phase::Final)) return Interrupted();
    if (settings.grant) GrantWaitingPrivileges(dstDb);
    if (failed_) return Interrupted();

    CommitAndDisconnect(srcDb);
    CommitAndDisconnect(dstDb);
    digestedAhead.FinishDestination();
    hold.reset();
    fastWrites.Restore();
    // A stop during the verification ends the job as stopped: the clone is
    // whole, but unverified.
    if (settings.verify && !VerifyClone(*this, &digestedAhead)) return Ended(JobOutcome::Stopped);
    finished_ = true;
    ui_.JobFinished();

    const std::time_t finish = now();
    LogOk("Start time:", FormatJobTime(start));
    LogOk("Finish time:", FormatJobTime(finish));
    LogOk("Duration:", FormatDuration(finish - start));
    LogOk("", "");
    LogOk("Database copy", "complete");
    ShowStep("");
    return Ended(JobOutcome::Finished);
}

}  // namespace dravik::engine
