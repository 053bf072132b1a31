// The clone job's settings: what the wizard's fields hold, with the form's
// defaults (the only place they are written down). The window fills it from
// its controls, the command-line driver from its options; the job hands the
// object pages' options to their frames before the passes.
#pragma once

#include <string>
#include <vector>

namespace dravik::engine {

struct JobSettings {
    // Source (page P_SRC).
    std::string srcPath;              // eSrc
    bool srcRemote = false;           // RBremote (else RBlocal)
    std::string srcServer;            // eRemoteServerName
    std::string srcUser = "SYSDBA";   // eSrcUser
    std::string srcPassword = "corbelfin";  // eSrcPwd
    std::string srcCodePage = "NONE"; // cbSrcCodePage
    // Attach the source with its database triggers active when the user may
    // not turn them off (dravik-clone --allow-db-triggers); else that ends the job.
    bool allowSourceDbTriggers = false;
    // Seconds an attach waits for a server to answer (dravik-clone
    // --connect-timeout); the same for both databases.
    int connectTimeout = kDefaultConnectTimeout;
    // Destination (page P_DST).
    std::string dstPath;              // eDst
    bool dstRemote = false;           // RBremoteD (else RBlocalD)
    std::string dstServer;            // eRemoteServerNameD
    std::string dstUser = "SYSDBA";   // eDstUser
    std::string dstPassword = "corbelfin";  // eDstPwd
    std::string dstCodePage = "NONE"; // cbDstCodePage
    std::string pageSize = "4096";    // cbDstPageSize; empty: the source's (dravik-clone's default)
    // The destination's SQL dialect, 1 or 3; 0: the source's (dravik-clone's
    // default). The window's box holds the source's after the connection test.
    int sqlDialect = 0;               // cbSQLDialect
    // The new database's default character set; empty: the source's own.
    std::string defaultCharset;       // dravik-clone --default-charset
    // Every text of a real character set (NONE too, with noneAs) declared in
    // the new default character set, its values transliterated on the way
    // (dravik-clone --convert-text; needs a defaultCharset of another set).
    bool convertText = false;
    // The code page the bytes of the source's NONE texts are in, so that they
    // are converted too (dravik-clone --none-as); empty: NONE stays NONE.
    std::string noneAs;
    bool dstReplace = true;           // cbDstReplace
    bool createRoles = false;         // cbCreateRole
    bool grant = false;               // cbGrant
    // The window's "Just clone": the object pages are skipped. What a job
    // copies, and verifies, is what the frames hold picked.
    bool copyAll = true;              // cbCopyAllDatabaseObjects
    // After a finished clone, compare the destination with the source
    // (dravik-clone --no-verify turns it off; the window has no control).
    bool verify = true;
    // Generators (page P_GEN).
    bool useGeneratorValues = true;   // cbGenID: new generators take the source's current value
    // Table data (page P_DAT).
    bool ignoreErrors = true;         // cbIgnoreError: a failing row is skipped and counted
    int commitEvery = kDefaultCommitEvery;  // eCommitCount; 0 or less means kDefaultCommitEvery
    // Count each table's rows first, so progress shows against a total
    // (dravik-clone on a terminal).
    bool countRowsForProgress = false;

    static constexpr int kDefaultCommitEvery = 500;
    static constexpr int kDefaultConnectTimeout = 15;
    // Rows between two commits of the data copy: commitEvery, or the default.
    int CommitInterval() const { return commitEvery > 0 ? commitEvery : kDefaultCommitEvery; }
};

// The 22 code pages the code-page boxes offer.
const std::vector<std::string>& CodePages();
// The page sizes a new database may have: the page-size box's items and
// what --page-size accepts.
const std::vector<std::string>& PageSizes();
// Why a page size typed in cannot be used ("" when it is one of PageSizes()).
std::string PageSizeProblem(const std::string& pageSize);
// A database's name as the client library takes it: "server:path", or the
// path alone for a local database.
std::string DatabaseName(bool remote, const std::string& server, const std::string& path);

}  // namespace dravik::engine
