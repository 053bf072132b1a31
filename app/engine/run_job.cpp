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
                        const std::vector<std::string>& stepCodes) {
    const std::vector<TFrame_select*> frames = Frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        if (!stepCodes[i].empty()) ShowStep(stepCodes[i]);
        (frames[i]->*pass)(srcDb, dstDb);
        if (stopFlag) return false;
    }
    return true;
}

JobOutcome TCloneJob::RunJob() {
    errorCount_ = 0;
    HandSettingsToFrames();
    const std::time_t start = now();
    LogOk("Start time:", FormatJobTime(start));
    ShowStep("M_DST");
    ui_.SetNavigationEnabled(false);
    stopFlag = false;
    // Not guarded: an unreachable source ends the job with its error.
    ReconnectSource("NONE");
    LogOk("", "");  // the run log's initial text, which is empty: an empty line
    if (!CreateDestination()) {
        ui_.SetNavigationEnabled(true);
        return JobOutcome::DestinationFailed;
    }
    // The destination is built and filled without forced writes; it gets its
    // mode back before the job ends, however it ends.
    DeferredForcedWrites fastWrites(dstDb);
    if (fastWrites.Deferred()) ConnectDestination();

    if (!RunPass(&TFrame_select::CreateSelected,
                 {"M_UDF", "M_DOM", "M_GEN", "M_EXC", "M_PRC", "M_TAB", "M_VIW", ""}))
        return JobOutcome::Stopped;

    // The data and completion passes read and write with the chosen code pages.
    ReconnectSource(settings.srcCodePage);
    ConnectDestination();

    if (!RunPass(&TFrame_select::CopySelectedData, {"", "", "", "", "", "", "", "M_DAT"}))
        return JobOutcome::Stopped;
    if (!RunPass(&TFrame_select::CompleteSelected, {"", "", "", "", "A_PRC", "A_TRG", "", ""}))
        return JobOutcome::Stopped;

    // Roles and privileges read the stop flag themselves; a stop there does
    // not keep the job from closing the connections and writing its end.
    ShowStep("M_ROL");
    if (settings.createRoles) CopyRoles(srcDb, dstDb);
    if (settings.grant) CopyPrivileges(srcDb, dstDb);

    CommitAndDisconnect(srcDb);
    CommitAndDisconnect(dstDb);
    fastWrites.Restore();
    stopFlag = true;  // closing the window no longer asks
    ui_.JobFinished();

    const std::time_t finish = now();
    LogOk("Start time:", FormatJobTime(start));
    LogOk("Finish time:", FormatJobTime(finish));
    LogOk("Duration:", FormatDuration(finish - start));
    LogOk("", "");
    LogOk("Database copy", "complete");
    ShowStep("");
    return JobOutcome::Finished;
}

}  // namespace dravik::engine
