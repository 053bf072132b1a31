// The clone job without the window: the two connections, the eight frames,
// the settings, the logs, the step indicator and the stop request, and the
// operations the wizard runs (connections and destination, loading the lists,
// the summary, the job itself, roles and privileges).
#pragma once

#include "app/engine/job_report.h"
#include "app/engine/job_ui.h"
#include "app/engine/log.h"
#include "app/engine/privilege_grants.h"
#include "app/engine/settings.h"
#include "db/database_hold.h"
#include "db/db_connection.h"
#include "db/text_conversion.h"
#include "frames/fr_select_data.h"
#include "frames/plan_context.h"
#include "frames/fr_select_domain.h"
#include "frames/fr_select_exception.h"
#include "frames/fr_select_generator.h"
#include "frames/fr_select_procedure.h"
#include "frames/fr_select_table.h"
#include "frames/fr_select_udf.h"
#include "frames/fr_select_view.h"
#include "schema/schema_plan.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dravik::frames {
class SourceTablePrefetch;
}

namespace dravik::engine {

using db::DbConnection;
class ObjectOwners;

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

    // Asks a running job to end after its current object or row (the
    // window's "Stop the wizard?", the terminal's signals).
    void RequestStop() { stopRequested_ = true; }
    bool StopRequested() const { return stopRequested_; }
    // True once the last job ran to its end (until the next one starts):
    // closing the window then no longer asks.
    bool Finished() const { return finished_; }

    // ---- connections and destination
    std::string SourceName() const;       // path, or server ":" path
    std::string DestinationName() const;
    bool ConnectSource(const std::string& codePage);
    void ReconnectSource(const std::string& codePage);
    // Another attachment to the source, made as srcDb's is, for the caller's
    // own reading.
    std::unique_ptr<DbConnection> AttachSourceAgain(const std::string& codePage);
    // Another attachment to the destination, with its database triggers off.
    std::unique_ptr<DbConnection> AttachDestinationAgain(const std::string& codePage);
    // Attaches the destination with the chosen code page, or another one.
    void ConnectDestination();
    void ConnectDestination(const std::string& codePage);
    bool CreateDestination();
    // The character set the new database gets by default: the one asked
    // for, else the source's own (read while the source is attached).
    std::string DefaultCharacterSet();
    std::string SourceCharacterSet();
    // The text conversion asked for (inactive without convertText), its
    // names as the source's catalogue spells them; read from the source.
    db::TextConversion AskedTextConversion();
    // A red line for each loss the active conversion brings to the picked
    // tables: a collation the new set lacks, a length beyond its limit, a
    // row or an index key that no longer fits.
    void NoteConversionLosses();
    // The new database's SQL dialect and page size: the ones asked for, else
    // the source's own (known once the source has been attached).
    int DestinationDialect() const;
    std::string DestinationPageSize() const;
    // The dialect and page size of the source attached last (3 and "" before any).
    int SourceDialect() const { return sourceDialect_; }
    const std::string& SourcePageSize() const { return sourcePageSize_; }
    // A dialect 1 source becoming a dialect 3 database (db/dialect_migration.h).
    bool MigratesToDialect3() const { return sourceDialect_ == 1 && DestinationDialect() == 3; }
    // "No database file defined" when the source has no path (the attempt
    // still follows, and fails with the server's words).
    void WarnWithoutSourcePath();
    // The "Connection test": connects with code page NONE and disconnects.
    // True when it passed; a failure shows "Not connected: \n" + the message,
    // a code page CheckCodePageNames refuses its message.
    bool TestSourceConnection();
    // Checks the code pages and the default character set of the settings
    // against the names and aliases of the source's RDB$CHARACTER_SETS
    // (attaching the source for it when it is not attached): the message
    // naming the first that the server would refuse, or "".
    std::string CheckCodePageNames();

    // ---- wizard steps that need no window
    // Opens the source with code page NONE, fills every frame's lists, closes it.
    void LoadFrames();
    // Keeps the source open in the engine until the job ends, so that the
    // listing, the checks and the job, each attaching it anew, do not close
    // it and open it again in between (the command line runs them in a row;
    // the window waits for its user between them and does not hold it, but
    // every job holds the source while it runs).
    void HoldSourceOpen();
    // Writes the summary log: the instructions, the settings, each frame's
    // section. It only appends: clearing the log first is the caller's
    // business (the window clears its control before calling it).
    void WriteJobSummary(const std::string& initialSummaryText);

    // The Data page offers only the tables the Tables page creates (see
    // TFrame_select_data::FollowTables); returns the picked ones set aside now.
    std::vector<std::string> DataFollowsTables();

    // ---- the job
    // Runs the whole clone with the settings and the frames' picks, and says
    // how it ended. An error of the unguarded source or destination
    // reconnections leaves it.
    JobReport RunJob();
    // Each role in its owner's name where owners are given (see object_owners.h).
    void CopyRoles(DbConnection& source, DbConnection& destination, ObjectOwners* owners = nullptr);
    // The database's mappings (CREATE MAPPING), copied with the roles.
    void CopyMappings(DbConnection& source, DbConnection& destination);
    // Gives the source's privileges as GRANT statements; one whose object or
    // grantee the destination lacks waits for GrantWaitingPrivileges.
    void CopyPrivileges(DbConnection& source, DbConnection& destination);
    // Gives the privileges that waited for objects made after CopyPrivileges
    // (database triggers come last); the others' objects were not copied.
    void GrantWaitingPrivileges(DbConnection& destination);

    // ---- logs and steps
    void LogOk(const std::string& caption, const std::string& text) override;
    void LogNote(const std::string& caption, const std::string& text) override;
    // Written from a handler of a DbServerError, a red line carries the
    // failed statement as its detail (see HandledErrorDetail).
    void LogError(const std::string& caption, const std::string& text) override;
    // The red line of a failure underneath the objects (I/O, a lost
    // connection, a failing source): the job ends after it as Failed. A red
    // line written while handling such an error (an environment fault of the
    // server) does the same.
    void JobFailed(const std::string& caption, const std::string& text) override;
    void LogProgress(const std::string& caption, const std::string& text, const std::string& table,
                     std::int64_t done, std::int64_t total) override;
    void SummaryPlain(const std::string& caption, const std::string& text) override;
    void SummaryNote(const std::string& caption, const std::string& text) override;
    void SummaryWarn(const std::string& caption, const std::string& text) override;
    bool StopFlag() const override { return Halted(); }
    void ProcessEvents() override { ui_.ProcessEvents(); }
    void ShowStep(const std::string& code) { ui_.ShowStep(code); }
    // The report of the job in progress, or of the last one: red lines so
    // far (also those of CopyRoles and CopyPrivileges called on their own).
    const JobReport& Report() const { return report_; }
    // The verification's comparison (or why it could not be made), for the report.
    void RecordVerification(std::optional<verify::Comparison> comparison, const std::string& error) {
        report_.verification = std::move(comparison);
        report_.verificationError = error;
    }

    // The clock the job reads; tests replace it.
    std::function<std::time_t()> now = [] { return std::time(nullptr); };

private:
    // Does "destination equals source" hold, by name or by file identity.
    bool SameDatabase(const std::string& destinationName) const;
    // Closes dstDb and gives it the destination name; false (after the
    // message box) when that name is the source's, leaving dstDb without one.
    bool NameDestination();
    // The red line of a destination that is the source; returns false.
    bool RefuseSourceAsDestination();
    // A note when the new database's page size is not the one asked for
    // (the server raises a size below its smallest).
    void NotePageSize();
    // Hands the settings of the object pages to their frames.
    void HandSettingsToFrames();
    // The source as the destination's server reaches it, when that server
    // can copy the rows itself (see frames/server_side_copy.h).
    std::optional<frames::ExternalSource> ServerSourceForRows();
    // The first table picked for its rows that has an array column, or "".
    std::string PickedTableWithArrays();
    // Plans every picked object of every frame, with the collations and
    // comments that go with them; then runs one phase of that plan in
    // dependency order (false when a stop was requested).
    void PlanSchema();
    bool RunPlan(schema::Phase phase, ObjectOwners* owners = nullptr);
    // Runs one plan node and records it, with its red lines, in the report.
    void RunNode(const schema::PlanNode& node, ObjectOwners* owners);
    // Consecutive plan nodes run in one destination transaction (plan_runner.cpp).
    class NodeGroup;
    // Whether the data pass reads the rows through the attachment and the
    // snapshot that read the catalogue, and through Dravik rather than the
    // destination's server: the source's tables can then be opened ahead.
    bool RowsReadInCatalogueSnapshot() const;
    // Both databases on one server, their rows read and written as stored.
    bool BothOnOneServer() const;
    // Gives the rows' GRANT statements in one transaction; a row whose
    // objects the destination lacks joins waitingGrants_. False when stopped
    // (the grants so far left in the open transaction) or failed.
    bool GiveGrants(DbConnection& destination, const std::vector<PrivilegeRow>& rows);

    // One pass over the frames in job order, each preceded by the step code
    // it names for the pass (empty: none); false when a stop was requested
    // during a frame.
    bool RunPass(void (frames::TFrame_select::*pass)(DbConnection&, DbConnection&),
                 std::string (frames::TFrame_select::*stepCode)() const);
    // A stop was asked for or a failure ends the job: the passes end.
    bool Halted() const { return stopRequested_ || failed_; }
    // The report of the job, ended with that outcome.
    JobReport Ended(JobOutcome outcome);
    // The job from the new destination on; RunJob ends it as Failed when it
    // raises.
    JobReport FillDestination(std::time_t start);
    // The outcome of a step that returned early: failed (the attachments
    // closed) or stopped.
    JobReport Interrupted();
    // Closes both attachments, forcibly when the server cannot be told (a
    // lost connection), so that whatever comes next attaches afresh.
    void CloseConnections();
    // The run log's notes on the rows about to be copied: tables set aside
    // because they are not created, or no table chosen at all.
    void NoteRowsNotCopied();
    void Append(LogSink& sink, const std::string& caption, const std::string& text, Colour colour,
                const std::string& detail = {});

    LogSink& runLog_;
    LogSink& summaryLog_;
    JobUi& ui_;
    JobReport report_;
    bool stopRequested_ = false;
    bool finished_ = false;
    bool failed_ = false;  // a failure underneath the objects ends the job
    schema::SchemaPlan plan_;
    MemorySink* heldRunLog_ = nullptr;  // while set, the run log's lines wait there (a group of nodes)
    // The source's tables opened during the destination's commits before the
    // data pass; none at other times.
    std::unique_ptr<frames::SourceTablePrefetch> prefetch_;
    std::optional<db::DatabaseHold> sourceHold_;  // see HoldSourceOpen
    // The source's catalogue read while the destination was being created.
    std::optional<frames::SourceModel> sourceModel_;
    std::vector<PrivilegeRow> waitingGrants_;  // privileges whose objects were not there yet
    std::string sourceCharset_;  // the source's default character set, once read
    std::string sourceCodePage_;  // the code page the source is attached with
    int sourceDialect_ = 3;
    std::string sourcePageSize_;  // the source's page size, once attached
    bool sourceTriggersActive_ = false;  // attached with its database triggers on (allowed)
};

// True when two attachments reach one database, however it was named: the
// source's own attachment is among the other's MON$ATTACHMENTS (as far as the
// other's user may see them: its own, or all for SYSDBA and the owner).
bool SameAttachedDatabase(DbConnection& source, DbConnection& other);

// The line that says no table's rows are copied, and how to choose them.
extern const char* const kNoRowsChosen;

// The connection test's attempt on an attachment of its own, as the job
// attaches the source, with code page NONE, and then the code pages asked
// for against the character sets the source's server knows; any thread may
// run it. The problem is empty when it passed, else the message to show;
// the dialect is the source's.
struct SourceTest {
    std::string problem;
    int dialect = 3;
};
SourceTest TestSource(const JobSettings& settings);

// Commits the default transaction when active, then disconnects.
void CommitAndDisconnect(DbConnection& connection);

// "MM-DD-YY HH:NN:SS" and the duration "HH:NN:SS" (hours modulo 24).
std::string FormatJobTime(std::time_t t);
std::string FormatDuration(std::time_t seconds);

}  // namespace dravik::engine
