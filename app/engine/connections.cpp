// The two connections: their database names and attach lines, the source's
// (re)connection and its test, and the creation of the destination.
#include "app/engine/clone_job.h"
#include "app/engine/database_location.h"
#include "app/engine/stop_signals.h"
#include "db/db_error.h"
#include "db/sql_text.h"
#include "frames/declareSQL.h"

#include <future>
#include <map>
#include <set>
#include <stdexcept>

namespace dravik::engine {

using frames::Trim;
using frames::UpperCase;

namespace {

constexpr int kSourceCachePages = 256;

// More attach lines after those of earlier attempts: the last line of a
// name wins, so a reconnection with another code page takes effect. The
// password is taken exactly as given: blanks may be part of it. No attach
// waits longer than the timeout for a server that does not answer.
void AppendAttachLines(DbConnection& connection, const std::string& user, const std::string& password,
                       const std::string& codePage, int timeout) {
    connection.Params().push_back("USER_NAME=" + Trim(user));
    connection.Params().push_back("PASSWORD=" + password);
    connection.Params().push_back("LC_CTYPE=" + Trim(codePage));
    connection.Params().push_back("CONNECT_TIMEOUT=" + std::to_string(timeout > 0 ? timeout : 1));
}

std::string ComposeName(bool remote, const std::string& server, const std::string& path) {
    return DatabaseName(remote, server, Trim(path));
}

}  // namespace

bool SameAttachedDatabase(DbConnection& source, DbConnection& other) {
    // An attachment is told apart by its id (numbered per database), its
    // server process and the moment it began.
    const std::string signature = "select MON$ATTACHMENT_ID || ':' || coalesce(MON$SERVER_PID, 0) || ':' || "
                                  "MON$TIMESTAMP from MON$ATTACHMENTS";
    std::string own;
    auto ownRow = frames::NewQuery(source, signature + " where MON$ATTACHMENT_ID = CURRENT_CONNECTION");
    ownRow->Open();
    if (!ownRow->Eof()) own = ownRow->Fields(0).AsString();
    ownRow->Close();
    bool found = false;
    db::ForEachRow(other, signature, [&](db::DbCursorSet& row) { found = found || row.Fields(0).AsString() == own; });
    return found && !own.empty();
}

void CommitAndDisconnect(DbConnection& connection) {
    if (!connection.Connected()) return;
    if (connection.DefaultTransaction().InTransaction()) connection.DefaultTransaction().Commit();
    connection.Disconnect();
}

std::string TCloneJob::SourceName() const {
    return ComposeName(settings.srcRemote, settings.srcServer, settings.srcPath);
}

std::string TCloneJob::DestinationName() const {
    return ComposeName(settings.dstRemote, settings.dstServer, settings.dstPath);
}

namespace {

// Attaches the source as every reading of it does, and says whether its
// database triggers stayed active (allowed only with allowSourceDbTriggers).
bool AttachSource(DbConnection& connection, const JobSettings& settings, const std::string& name,
                  const std::string& codePage) {
    connection.SetDatabaseName(name);
    // The source is only read: it is attached with its database triggers
    // turned off, so that neither the attachment nor a commit fires a
    // trigger that writes into it, and its transactions are read-only
    // snapshots.
    AppendAttachLines(connection, settings.srcUser, settings.srcPassword, codePage, settings.connectTimeout);
    // Opened by this process's own engine, the source gets a small page
    // cache: its rows are read once, in order, and the memory is better
    // spent on the destination's. A database a server holds keeps its own.
    if (!settings.srcRemote)
        connection.Params().push_back("CONFIG=DefaultDbCachePages=" + std::to_string(kSourceCachePages));
    // Attached, the connection takes the database's own dialect when it is 1.
    connection.SetSQLDialect(3);
    try {
        const AttachWait wait;
        return !connection.ConnectWithoutDbTriggers(settings.allowSourceDbTriggers);
    } catch (const db::DbServerError& e) {
        if (e.IBErrorCode() != isc_adm_task_denied) throw;
        throw std::runtime_error(
            "the source's database triggers cannot be turned off for user " + Trim(settings.srcUser) +
            " (only SYSDBA or the database owner may); connect as one of them, or let the triggers fire "
            "(dravik-clone --allow-db-triggers)");
    }
}

// Why a code page or the default character set asked for is one the
// source's server does not know (every name and alias: RDB$TYPES holds the
// aliases, "UTF-8" or "LATIN1"), or cannot serve a connection; empty when
// all are fine.
std::string CodePageNamesProblem(DbConnection& source, const JobSettings& settings) {
    std::map<std::string, int> known;
    db::ForEachRow(source,
                   "select RDB$CHARACTER_SET_NAME, RDB$CHARACTER_SET_ID from RDB$CHARACTER_SETS "
                   "union select RDB$TYPE_NAME, RDB$TYPE from RDB$TYPES where RDB$FIELD_NAME = 'RDB$CHARACTER_SET_NAME'",
                   [&](db::DbCursorSet& name) {
                       known[UpperCase(Trim(name.Fields(0).AsString()))] = static_cast<int>(name.Fields(1).AsInteger());
                   });

    constexpr int kOctets = 1;  // binary strings: no attachment can use it
    const struct {
        const std::string& name;
        const char* what;
        bool attachment;
    } asked[] = {{settings.srcCodePage, "the source's code page", true},
                 {settings.dstCodePage, "the destination's code page", true},
                 {settings.defaultCharset, "the default character set", false},
                 {settings.noneAs, "the code page of NONE texts", true}};
    for (const auto& [name, what, attachment] : asked) {
        if (Trim(name).empty()) continue;
        const auto found = known.find(UpperCase(Trim(name)));
        if (found == known.end())
            return std::string(what) + " " + Trim(name) + " is not a character set the source's server knows";
        if (attachment && found->second == kOctets)
            return std::string(what) + " " + Trim(name) + " cannot be used for a connection";
    }
    return "";
}

}  // namespace

void TCloneJob::WarnWithoutSourcePath() {
    if (Trim(settings.srcPath).empty()) ui_.ShowMessage("No database file defined");
}

bool TCloneJob::ConnectSource(const std::string& codePage) {
    if (srcDb.Connected()) return true;
    WarnWithoutSourcePath();
    sourceTriggersActive_ = AttachSource(srcDb, settings, SourceName(), codePage);
    // Triggers allowed to fire may write when a transaction commits: the
    // snapshot must be able to take their writes.
    srcDb.DefaultTransaction().SetReadOnlySnapshot(!sourceTriggersActive_);
    sourceCodePage_ = codePage;
    sourceDialect_ = srcDb.DatabaseDialect();
    sourcePageSize_ = std::to_string(srcDb.PageSize());
    return srcDb.Connected();
}

std::unique_ptr<DbConnection> TCloneJob::AttachSourceAgain(const std::string& codePage) {
    auto connection = std::make_unique<DbConnection>();
    const bool triggersActive = AttachSource(*connection, settings, SourceName(), codePage);
    connection->DefaultTransaction().SetReadOnlySnapshot(!triggersActive);
    return connection;
}

std::unique_ptr<DbConnection> TCloneJob::AttachDestinationAgain(const std::string& codePage) {
    auto connection = std::make_unique<DbConnection>();
    connection->SetDatabaseName(DestinationName());
    AppendAttachLines(*connection, settings.dstUser, settings.dstPassword, codePage, settings.connectTimeout);
    const AttachWait wait;
    connection->ConnectWithoutDbTriggers(true);
    return connection;
}

void TCloneJob::ReconnectSource(const std::string& codePage) {
    // The same code page keeps the attachment and its snapshot.
    if (srcDb.Connected() && codePage == sourceCodePage_) return;
    CommitAndDisconnect(srcDb);
    ConnectSource(codePage);
}

bool TCloneJob::SameDatabase(const std::string& destinationName) const {
    if (destinationName == srcDb.DatabaseName()) return true;
    if (destinationName.empty()) return false;
    // The same file under another spelling: compared with the name the
    // source is attached under and with the name the settings give it.
    for (const std::string& source : {srcDb.DatabaseName(), SourceName()})
        if (!Trim(source).empty() && SameDatabaseFile(source, destinationName)) return true;
    return false;
}

bool TCloneJob::RefuseSourceAsDestination() {
    LogError("DB " + DestinationName(), "is the source database: nothing was dropped or created");
    return false;
}

bool TCloneJob::NameDestination() {
    CommitAndDisconnect(dstDb);
    const std::string name = DestinationName();
    if (SameDatabase(name)) {
        ui_.ShowMessage("The source and the destination databases\ncan NOT be the same");
        dstDb.SetDatabaseName("");
        return false;
    }
    dstDb.SetDatabaseName(name);
    return true;
}

void TCloneJob::ConnectDestination() { ConnectDestination(settings.dstCodePage); }

void TCloneJob::ConnectDestination(const std::string& codePage) {
    if (!NameDestination()) return;
    AppendAttachLines(dstDb, settings.dstUser, settings.dstPassword, codePage, settings.connectTimeout);
    // The clone's own database triggers, once made, must not fire while the
    // job still works on it (a user who is not the owner of an existing
    // destination attaches with them on).
    const AttachWait wait;
    dstDb.ConnectWithoutDbTriggers(true);
}

std::string TCloneJob::DefaultCharacterSet() {
    if (!Trim(settings.defaultCharset).empty()) return Trim(settings.defaultCharset);
    return SourceCharacterSet();
}

std::string TCloneJob::SourceCharacterSet() {
    if (srcDb.Connected()) {
        auto query = frames::NewQuery(srcDb, "select RDB$CHARACTER_SET_NAME from RDB$DATABASE");
        query->Open();
        sourceCharset_ = query->Eof() || query->Fields(0).IsNull() ? "" : Trim(query->Fields(0).AsString());
        query->Close();
    }
    return sourceCharset_.empty() ? "NONE" : sourceCharset_;
}

int TCloneJob::DestinationDialect() const {
    return settings.sqlDialect == 1 || settings.sqlDialect == 3 ? settings.sqlDialect : sourceDialect_;
}

std::string TCloneJob::DestinationPageSize() const {
    if (!Trim(settings.pageSize).empty()) return Trim(settings.pageSize);
    return sourcePageSize_.empty() ? "4096" : sourcePageSize_;
}

bool TCloneJob::CreateDestination() {
    // Checked before anything is dropped or created.
    if (const std::string problem = PageSizeProblem(DestinationPageSize()); !problem.empty()) {
        LogError("Fatal error", "DB " + DestinationName() + " was not created: " + problem);
        return false;
    }
    try {
        ReconnectSource("NONE");
    } catch (const std::exception& e) {
        LogError("Connection error", settings.srcPath);
        LogError("", e.what());
        return false;
    }
    LogOk("DB " + settings.srcPath, "connected");
    if (sourceTriggersActive_)
        LogNote("DB " + settings.srcPath, "its database triggers are active: user " + Trim(settings.srcUser) +
                                              " may not turn them off");

    if (MigratesToDialect3())
        LogNote("SQL dialect", "dialect 1 migrated to dialect 3: scaled doubles stay DOUBLE PRECISION, DATE becomes "
                               "TIMESTAMP, double-quoted strings in stored texts become single-quoted");
    if (settings.convertText && AskedTextConversion().newSet == SourceCharacterSet()) {
        LogError("Text conversion", "the texts are converted into a default character set other than the "
                                    "source's own (" + SourceCharacterSet() + "): name one with --default-charset");
        return false;
    }
    // A stop asked for until now leaves the destination as it is.
    ProcessEvents();
    if (stopRequested_) return false;
    if (!NameDestination()) return RefuseSourceAsDestination();
    // A new file is not looked for: the attempt would end with the client
    // library asking a local server for it, which costs the whole run a
    // wait when the library shuts down.
    bool reached = !NoFileAtLocalPath(DestinationName());
    try {
        if (reached) ConnectDestination();
    } catch (const std::exception&) {
        reached = false;  // typically: no such database yet
    }
    // An existing destination reached under a name no file comparison sees
    // through (a server's alias, another host name for this machine) is
    // still the source when the source's own attachment is among its own.
    try {
        if (reached && SameAttachedDatabase(srcDb, dstDb)) {
            CommitAndDisconnect(dstDb);
            return RefuseSourceAsDestination();
        }
    } catch (const std::exception& e) {
        // Unable to tell, it is not touched.
        LogError("DB " + DestinationName(), std::string("cannot be told apart from the source: ") + e.what());
        return false;
    }
    if (reached && settings.dstReplace) {
        try {
            dstDb.DropDatabase();
            LogOk("DB " + dstDb.DatabaseName(), "droped successfully");
        } catch (const std::exception&) {
            LogNote("DB " + dstDb.DatabaseName(), "drop canceled");
        }
    }
    CommitAndDisconnect(dstDb);

    ProcessEvents();
    if (stopRequested_) return false;
    // Made without attach lines: the new attachment's code page is none until
    // ConnectDestination attaches with the chosen one.
    dstDb.Params().clear();
    dstDb.CreateClauses() = {"USER " + db::SqlString(Trim(settings.dstUser)),
                             "PASSWORD " + db::SqlString(settings.dstPassword), "PAGE_SIZE " + DestinationPageSize(),
                             "DEFAULT CHARACTER SET " + DefaultCharacterSet()};
    // Created, and every statement of the clone prepared, in its dialect.
    dstDb.SetSQLDialect(DestinationDialect());

    try {
        const AttachWait wait;
        // Meanwhile the source's catalogue is read, in the snapshot the job
        // keeps: nothing else touches the source until the destination is there.
        std::future<frames::SourceModel> model =
            std::async(std::launch::async, [this] { return frames::ReadSourceModel(srcDb); });
        try {
            dstDb.CreateDatabase();
        } catch (...) {
            model.wait();
            throw;
        }
        try {
            sourceModel_ = model.get();
        } catch (const std::exception&) {
            // Read again while planning, where a failure is reported.
        }
        LogOk("DB " + dstDb.DatabaseName(), "created");
    } catch (const std::exception& e) {
        LogError("Fatal error", "DB " + dstDb.DatabaseName() +
                                    " was not created. Choise other target database or remove database locks");
        LogError("", e.what());
        return false;
    }
    try {
        const AttachWait wait;
        dstDb.Connect();
    } catch (const std::exception&) {
        LogError("Connection error", settings.dstPath);
        return false;
    }
    LogOk("DB " + settings.dstPath, "connected");
    NotePageSize();
    return true;
}

std::string TCloneJob::CheckCodePageNames() {
    const bool attached = srcDb.Connected();
    if (!attached) ConnectSource("NONE");
    const std::string problem = CodePageNamesProblem(srcDb, settings);
    if (!attached) CommitAndDisconnect(srcDb);
    return problem;
}

void TCloneJob::NotePageSize() {
    try {
        auto query = frames::NewQuery(dstDb, "select MON$PAGE_SIZE from MON$DATABASE");
        query->Open();
        const std::string made = query->Eof() ? "" : std::to_string(query->Fields(0).AsInteger());
        query->Close();
        const std::string asked = DestinationPageSize();
        if (!made.empty() && made != asked)
            LogNote("DB " + settings.dstPath, "page size " + made + ": the server raised the " + asked + " asked for");
    } catch (const db::DbError&) {
        // Only a note: the database was made either way.
    }
}

SourceTest TestSource(const JobSettings& settings) {
    SourceTest test;
    try {
        DbConnection connection;
        AttachSource(connection, settings, ComposeName(settings.srcRemote, settings.srcServer, settings.srcPath),
                     "NONE");
        test.dialect = connection.DatabaseDialect();
        // A code page no connection can take fails the test, as it would the job.
        test.problem = CodePageNamesProblem(connection, settings);
        CommitAndDisconnect(connection);
    } catch (const std::exception& e) {
        const std::string text = e.what();
        test.problem = "Not connected: \n" + (text.empty() ? std::string("the attach failed") : text);
    }
    return test;
}

bool TCloneJob::TestSourceConnection() {
    ui_.ProcessEvents();  // the test mark disappears before the attempt
    if (srcDb.Connected()) {  // attached already: the test passes as it stands
        CommitAndDisconnect(srcDb);
        return true;
    }
    WarnWithoutSourcePath();
    const SourceTest test = TestSource(settings);
    if (!test.problem.empty()) ui_.ShowMessage(test.problem);
    sourceDialect_ = test.dialect;
    return test.problem.empty();
}

bool TCloneJob::BothOnOneServer() const {
    const auto unset = [](const std::string& codePage) {
        const std::string page = UpperCase(Trim(codePage));
        return page.empty() || page == "NONE";
    };
    return settings.srcRemote && settings.dstRemote && !Trim(settings.srcServer).empty() &&
           UpperCase(Trim(settings.srcServer)) == UpperCase(Trim(settings.dstServer)) &&
           unset(settings.srcCodePage) && unset(settings.dstCodePage);
}

bool TCloneJob::RowsReadInCatalogueSnapshot() const {
    return !db::ActiveTextConversion().Active() && settings.srcCodePage == sourceCodePage_ && !BothOnOneServer();
}

std::optional<frames::ExternalSource> TCloneJob::ServerSourceForRows() {
    // Both databases on one server, and their rows read and written as they
    // are stored: that server then copies the rows itself.
    if (!BothOnOneServer()) return std::nullopt;
    // The rows go through Dravik when the source has an active database
    // trigger (the server's attachment cannot turn it off; Dravik's does),
    // and when a table picked has an array column (PSQL takes no array
    // variable, so that table would go through Dravik, in the job's snapshot
    // rather than the server's: all go, so every table is read at one moment).
    std::string arrays;
    try {
        auto triggers = frames::NewQuery(srcDb, "select count(*) from RDB$TRIGGERS where RDB$TRIGGER_TYPE between 8192 and "
                                        "8196 and coalesce(RDB$TRIGGER_INACTIVE, 0) = 0");
        triggers->Open();
        const bool active = triggers->Fields(0).AsInteger() > 0;
        triggers->Close();
        if (active) return std::nullopt;
        arrays = PickedTableWithArrays();
    } catch (const db::DbError&) {
        return std::nullopt;
    }
    if (!arrays.empty()) {
        LogNote("COPY DATA", "the rows go through Dravik, so that every table is read at one moment: table " + arrays +
                                 " has an array column");
        return std::nullopt;
    }
    return frames::ExternalSource{Trim(settings.srcPath), Trim(settings.srcUser), settings.srcPassword};
}

std::string TCloneJob::PickedTableWithArrays() {
    std::set<std::string> picked;
    for (int i = 0; i < Frame_select_data.SelectedCount(); ++i) picked.insert(Trim(Frame_select_data.SelectedName(i)));
    std::string found;
    db::ForEachRow(srcDb,
                   "select distinct rf.RDB$RELATION_NAME from RDB$RELATION_FIELDS rf "
                   "join RDB$FIELDS f on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                   "where f.RDB$DIMENSIONS is not null order by 1",
                   [&](db::DbCursorSet& row) {
                       const std::string table = Trim(row.Fields(0).AsString());
                       if (found.empty() && picked.count(table)) found = table;
                   });
    return found;
}

}  // namespace dravik::engine
