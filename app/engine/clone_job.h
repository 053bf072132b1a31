// The clone job without the window: the two connections, the eight frames,
// the settings, the logs, the step indicator and the stop flag, and the
// operations the wizard runs (connections and destination, loading the lists,
// the summary, the job itself, roles and privileges).
#pragma once

#include "app/engine/job_ui.h"
#include "app/engine/log.h"
#include "app/engine/settings.h"
#include "db/db_connection.h"
#include "frames/fr_select_data.h"
#include "frames/fr_select_domain.h"
#include "frames/fr_select_exception.h"
#include "frames/fr_select_generator.h"
#include "frames/fr_select_procedure.h"
#include "frames/fr_select_table.h"
#include "frames/fr_select_udf.h"
#include "frames/fr_select_view.h"

#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace dravik::engine {

using db::DbConnection;

// How a job ended.
enum class JobOutcome {
    Finished,           // every step ran; red lines may have been written
    DestinationFailed,  // the destination could not be created or connected
    Stopped,            // the stop flag ended it
};

class TCloneJob : public frames::FrameHost {
public:
    TCloneJob(LogSink& runLog, LogSink& summaryLog, JobUi& ui);
    ~TCloneJob() override;
    TCloneJob(const TCloneJob&) = delete;
    TCloneJob& operator=(const TCloneJob&) = delete;

    JobSettings settings;
    DbConnection srcDb;
    DbConnection dstDb;

    frames::TFrame_select_udf Frame_select_udf;
    frames::TFrame_select_domain Frame_select_domain;
    frames::TFrame_select_generator Frame_select_generator;
    frames::TFrame_select_exception Frame_select_exception;
    frames::TFrame_select_procedure Frame_select_procedure;
    frames::TFrame_select_table Frame_select_table1;
    frames::TFrame_select_view Frame_select_view;
    frames::TFrame_select_data Frame_select_data;
    // The eight frames in job order.
    std::vector<frames::TFrame_select*> Frames();

    bool stopFlag = false;

    // ---- connections and destination
    std::string SourceName() const;       // path, or server ":" path
    std::string DestinationName() const;
    bool ConnectSource(const std::string& codePage);
    void ReconnectSource(const std::string& codePage);
    void ConnectDestination();
    bool CreateDestination();
    // The "Connection test": connects with code page NONE and disconnects.
    // True when it passed; a failure shows "Not connected: \n" + the message.
    bool TestSourceConnection();

    // ---- wizard steps that need no window
    // Opens the source with code page NONE, fills every frame's lists, closes it.
    void LoadFrames();
    // Writes the summary log: the instructions, the settings, each frame's
    // section. It only appends: clearing the log first is the caller's
    // business (the window clears its control before calling it).
    void WriteJobSummary(const std::string& initialSummaryText);

    // ---- the job
    // Runs the whole clone; ErrorCount() then tells its red lines. An error
    // of the unguarded source or destination reconnections leaves it.
    JobOutcome RunJob();
    void CopyRoles(DbConnection& source, DbConnection& destination);
    void CopyPrivileges(DbConnection& source, DbConnection& destination);

    // ---- logs and steps
    void LogOk(const std::string& caption, const std::string& text) override;
    void LogNote(const std::string& caption, const std::string& text) override;
    void LogError(const std::string& caption, const std::string& text) override;
    void SummaryPlain(const std::string& caption, const std::string& text) override;
    void SummaryNote(const std::string& caption, const std::string& text) override;
    void SummaryWarn(const std::string& caption, const std::string& text) override;
    bool StopFlag() const override { return stopFlag; }
    void ProcessEvents() override { ui_.ProcessEvents(); }
    void ShowStep(const std::string& code) { ui_.ShowStep(code); }
    // Red lines written to the run log since the job started.
    int ErrorCount() const { return errorCount_; }

    // The clock the job reads; tests replace it.
    std::function<std::time_t()> now = [] { return std::time(nullptr); };

private:
    // Does "destination equals source" hold, by name or by file identity.
    bool SameDatabase(const std::string& destinationName) const;
    // Closes dstDb and gives it the destination name; false (after the
    // message box) when that name is the source's, leaving dstDb without one.
    bool NameDestination();
    // Hands the settings of the object pages to their frames.
    void HandSettingsToFrames();
    // One pass over the frames in job order, each preceded by its step code
    // (empty: none); false when the stop flag was seen after a frame.
    bool RunPass(void (frames::TFrame_select::*pass)(DbConnection&, DbConnection&),
                 const std::vector<std::string>& stepCodes);
    void Append(LogSink& sink, const std::string& caption, const std::string& text, Colour colour);

    LogSink& runLog_;
    LogSink& summaryLog_;
    JobUi& ui_;
    int errorCount_ = 0;
};

// Commits the default transaction when active, then disconnects.
void CommitAndDisconnect(DbConnection& connection);

// "MM-DD-YY HH:NN:SS" and the duration "HH:NN:SS" (hours modulo 24).
std::string FormatJobTime(std::time_t t);
std::string FormatDuration(std::time_t seconds);

}  // namespace dravik::engine
