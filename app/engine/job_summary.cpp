// The wizard steps that need no window: loading every frame's lists from the
// source, and the summary of the job about to run.
#include "app/engine/clone_job.h"

namespace dravik::engine {

void TCloneJob::LoadFrames() {
    ReconnectSource("NONE");
    DefaultCharacterSet();  // read now, for the summary
    for (frames::TFrame_select* frame : Frames()) frame->LoadList(srcDb, true);
    CommitAndDisconnect(srcDb);
}

void TCloneJob::WriteJobSummary(const std::string& initialSummaryText) {
    SummaryPlain("", initialSummaryText);
    SummaryWarn("Database clone job", "");
    SummaryPlain("Source database", settings.srcPath);
    SummaryPlain("User name", settings.srcUser);
    SummaryPlain("Code page", settings.srcCodePage + "\r\n");
    SummaryPlain("Tatget database", settings.dstPath);
    SummaryPlain("User name", settings.dstUser);
    SummaryPlain("Codepage", settings.dstCodePage);
    SummaryPlain("Default character set", DefaultCharacterSet());
    SummaryPlain("SQL dialect", std::to_string(DestinationDialect()));
    SummaryPlain("Options", "");
    if (settings.dstReplace) SummaryPlain("", "\tReplase the database if it does exist");
    if (settings.createRoles) SummaryPlain("", "\tInherite the roles");
    if (settings.grant) SummaryPlain("", "\tInherite the user rights");
    for (frames::TFrame_select* frame : Frames()) frame->WriteSummary();
}

}  // namespace dravik::engine
