// The wizard steps that need no window: loading every frame's lists from the
// source, and the summary of the job about to run.
#include "app/engine/clone_job.h"

#include <set>

namespace dravik::engine {

const char* const kNoRowsChosen =
    "no table's rows are copied, only the tables: pick them on the Data page (Custom copy) or name them with --data";

void TCloneJob::HoldSourceOpen() {
    ReconnectSource("NONE");
    sourceHold_.emplace(srcDb.DatabaseName(), srcDb.Params());
}

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
    SummaryPlain("SQL dialect",
                 std::to_string(DestinationDialect()) + (MigratesToDialect3() ? ", migrated from dialect 1" : ""));
    SummaryPlain("Options", "");
    if (settings.dstReplace) SummaryPlain("", "\tReplase the database if it does exist");
    if (settings.createRoles) SummaryPlain("", "\tInherite the roles");
    if (settings.grant) SummaryPlain("", "\tInherite the user rights");
    if (settings.convertText)
        SummaryPlain("", "\tConvert the texts into " + DefaultCharacterSet() +
                             (settings.noneAs.empty() ? std::string() : ", NONE texts taken as " + settings.noneAs));
    DataFollowsTables();
    for (frames::TFrame_select* frame : Frames()) frame->WriteSummary();
    if (Frame_select_data.SelectedCount() == 0) SummaryNote("", std::string("\t") + kNoRowsChosen);
}

std::vector<std::string> TCloneJob::DataFollowsTables() {
    std::set<std::string> created;
    for (int i = 0; i < Frame_select_table1.SelectedCount(); ++i)
        created.insert(Frame_select_table1.SelectedItem(i).ObjectName);
    return Frame_select_data.FollowTables(created);
}

}  // namespace dravik::engine
