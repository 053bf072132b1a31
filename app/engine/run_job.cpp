// The clone job: the destination, the three passes over the eight frames in
// their fixed order, roles and privileges, and the time lines.
#include "app/engine/clone_job.h"
#include "app/engine/deferred_forced_writes.h"

namespace dravik::engine {

using frames::TFrame_select;

void TCloneJob::HandSettingsToFrames() {
    Frame_select_generator.cbGenID = settings.useGeneratorValues;
    Frame_select_data.ignoreErrors = settings.ignoreErrors;
    Frame_select_data.commitInterval = settings.CommitInterval();
}

bool TCloneJob::RunPass(void (TFrame_select::*pass)(DbConnection&, DbConnection&),
                        std::string (TFrame_select::*stepCode)() const) {
    for (TFrame_select* frame : Frames()) {
        const std::string step = (frame->*stepCode)();
        if (!step.empty()) ShowStep(step);
        (frame->*pass)(srcDb, dstDb);
        if (stopRequested_) return false;
    }
    return true;
}

JobReport TCloneJob::Ended(JobOutcome outcome) {
    report_.outcome = outcome;
    return report_;
}

JobReport TCloneJob::RunJob() {
    report_ = JobReport{};
    HandSettingsToFrames();
    const std::time_t start = now();
    LogOk("Start time:", FormatJobTime(start));
    ShowStep("M_DST");
    ui_.SetNavigationEnabled(false);
    stopRequested_ = false;
    // Not guarded: an unreachable source ends the job with its error.
    ReconnectSource("NONE");
    LogOk("", "");  // the run log's initial text, which is empty: an empty line
    if (!CreateDestination()) {
        ui_.SetNavigationEnabled(true);
        return Ended(JobOutcome::DestinationFailed);
    }
    // The destination is built and filled without forced writes; it gets its
    // mode back before the job ends, however it ends.
    DeferredForcedWrites fastWrites(dstDb);
    if (fastWrites.Deferred()) ConnectDestination();

    if (!RunPass(&TFrame_select::CreateSelected, &TFrame_select::CreateStepCode))
        return Ended(JobOutcome::Stopped);

    // The data and completion passes read and write with the chosen code pages.
    ReconnectSource(settings.srcCodePage);
    ConnectDestination();

    const bool copied = RunPass(&TFrame_select::CopySelectedData, &TFrame_select::CopyStepCode);
    report_.refusedRows = Frame_select_data.RefusedRows();
    if (!copied) return Ended(JobOutcome::Stopped);
    if (!RunPass(&TFrame_select::CompleteSelected, &TFrame_select::CompleteStepCode))
        return Ended(JobOutcome::Stopped);

    // Roles and privileges read the stop request themselves; a stop there does
    // not keep the job from closing the connections and writing its end.
    ShowStep("M_ROL");
    if (settings.createRoles) CopyRoles(srcDb, dstDb);
    if (settings.grant) CopyPrivileges(srcDb, dstDb);

    CommitAndDisconnect(srcDb);
    CommitAndDisconnect(dstDb);
    fastWrites.Restore();
    stopRequested_ = true;  // closing the window no longer asks
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
