#include "app/cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

namespace dravik::cli {

namespace {

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    for (char c : text + ",") {
        if (c == ',') {
            size_t b = item.find_first_not_of(' '), e = item.find_last_not_of(' ');
            if (b != std::string::npos) items.push_back(item.substr(b, e - b + 1));
            item.clear();
        } else {
            item += c;
        }
    }
    return items;
}

ObjectChoice ParseChoice(const std::string& text) {
    if (text == "all") return {};
    if (text == "none") return {false, {}};
    return {false, SplitList(text)};
}

// The items joined with ", ".
std::string JoinedList(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

// The first line of a file exactly, without its line end (LF or CR LF);
// false when it cannot be read.
bool ReadFirstLine(const std::string& path, std::string& line) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::getline(file, line);
    const bool lineEnded = !file.eof();
    if (lineEnded && !line.empty() && line.back() == '\r') line.pop_back();
    return !file.bad();
}

bool ParseWhole(const std::string& text, int low, int high, int& out) {
    const auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), digit)) return false;
    out = std::atoi(text.c_str());
    return out >= low && out <= high;
}

}  // namespace

void SplitDatabaseName(const std::string& name, bool& remote, std::string& server, std::string& path) {
    const size_t colon = name.find(':');
    const bool drive = colon == 1 && name.size() > 2 && (name[2] == '\\' || name[2] == '/');
    // An absolute or relative path may itself hold a colon ("/data/a:b.fdb").
    const bool pathLike = !name.empty() && (name[0] == '/' || name[0] == '.');
    if (colon == std::string::npos || colon == 0 || drive || pathLike) {
        remote = false;
        server.clear();
        path = name;
        return;
    }
    remote = true;
    server = name.substr(0, colon);
    path = name.substr(colon + 1);
}

std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string& error) {
    CliOptions o;
    engine::JobSettings& s = o.settings;
    s.pageSize.clear();  // the source's, unless --page-size asks for another
    bool userGiven = false, passwordGiven = false, dstUserGiven = false, dstPasswordGiven = false;
    bool dstCharsetGiven = false;
    std::vector<std::string> positional;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded) {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = a, inlineValue;
        bool hasInline = false;
        if (a.rfind("--", 0) == 0) {
            if (const size_t eq = a.find('='); eq != std::string::npos) {
                name = a.substr(0, eq);
                inlineValue = a.substr(eq + 1);
                hasInline = true;
            }
        }
        auto value = [&](std::string& out) {
            if (hasInline) {
                out = inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (name == "-h" || name == "--help") {
            o.help = true;
        } else if (name == "--version") {
            o.version = true;
        } else if (name == "-v" || name == "--verbose") {
            o.verbose = true;
        } else if (name == "-u" || name == "--user") {
            if (!value(s.srcUser)) return std::nullopt;
            userGiven = true;
        } else if (name == "-p" || name == "--password") {
            if (!value(s.srcPassword)) return std::nullopt;
            passwordGiven = true;
        } else if (name == "--dst-user") {
            if (!value(s.dstUser)) return std::nullopt;
            dstUserGiven = true;
        } else if (name == "--dst-password") {
            if (!value(s.dstPassword)) return std::nullopt;
            dstPasswordGiven = true;
        } else if (name == "--password-file" || name == "--dst-password-file") {
            if (!value(v)) return std::nullopt;
            const bool destination = name == "--dst-password-file";
            if (!ReadFirstLine(v, destination ? s.dstPassword : s.srcPassword)) {
                error = "cannot read the password file '" + v + "'";
                return std::nullopt;
            }
            (destination ? dstPasswordGiven : passwordGiven) = true;
        } else if (name == "--allow-db-triggers") {
            s.allowSourceDbTriggers = true;
        } else if (name == "-c" || name == "--charset") {
            if (!value(s.srcCodePage)) return std::nullopt;
        } else if (name == "--default-charset") {
            if (!value(s.defaultCharset)) return std::nullopt;
        } else if (name == "--dst-charset") {
            if (!value(s.dstCodePage)) return std::nullopt;
            dstCharsetGiven = true;
        } else if (name == "--page-size") {
            if (!value(v)) return std::nullopt;
            const std::vector<std::string>& allowed = engine::PageSizes();
            if (std::find(allowed.begin(), allowed.end(), v) == allowed.end()) {
                error = "--page-size takes one of " + JoinedList(allowed) + ", not '" + v + "'";
                return std::nullopt;
            }
            s.pageSize = v;
        } else if (name == "--dialect") {
            if (!value(v)) return std::nullopt;
            if (v != "1" && v != "3") {
                error = "--dialect takes 1 or 3, not '" + v + "'";
                return std::nullopt;
            }
            s.sqlDialect = std::stoi(v);
        } else if (name == "--connect-timeout") {
            if (!value(v)) return std::nullopt;
            if (!ParseWhole(v, 1, 3600, s.connectTimeout)) {
                error = "--connect-timeout takes a whole number of seconds from 1 to 3600, not '" + v + "'";
                return std::nullopt;
            }
        } else if (name == "--no-replace") {
            s.dstReplace = false;
        } else if (name == "--roles") {
            s.createRoles = true;
        } else if (name == "--grants") {
            s.createRoles = true;  // user rights go only together with roles
            s.grant = true;
        } else if (name == "--no-generator-values") {
            s.useGeneratorValues = false;
        } else if (name == "--stop-on-error") {
            s.ignoreErrors = false;
        } else if (name == "--commit-every") {
            if (!value(v)) return std::nullopt;
            if (!ParseWhole(v, 1, 32767, s.commitEvery)) {
                error = "--commit-every takes a whole number from 1 to 32767, not '" + v + "'";
                return std::nullopt;
            }
        } else if (name == "--list") {
            o.list = true;
        } else if (name == "--log") {
            if (!value(o.logFile)) return std::nullopt;
        } else if (name == "--report") {
            if (!value(o.reportFile)) return std::nullopt;
        } else if (name == "--compare") {
            o.compare = true;
        } else if (name == "--no-verify") {
            s.verify = false;
        } else if (name == "--data" || name == "--udfs" || name == "--domains" || name == "--generators" ||
                   name == "--exceptions" || name == "--procedures" || name == "--tables" || name == "--views" ||
                   name == "--functions" || name == "--packages" || name == "--db-triggers") {
            if (!value(v)) return std::nullopt;
            const ObjectChoice choice = ParseChoice(v);
            ObjectChoice* target = name == "--data"         ? &o.data
                                   : name == "--udfs"       ? &o.udfs
                                   : name == "--domains"    ? &o.domains
                                   : name == "--generators" ? &o.generators
                                   : name == "--exceptions" ? &o.exceptions
                                   : name == "--procedures" ? &o.procedures
                                   : name == "--tables"     ? &o.tables
                                   : name == "--functions"  ? &o.functions
                                   : name == "--packages"   ? &o.packages
                                   : name == "--db-triggers" ? &o.dbTriggers
                                                            : &o.views;
            *target = choice;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else {
            positional.push_back(a);
        }
    }
    if (o.help || o.version) return o;

    const char* envUser = std::getenv("ISC_USER");
    const char* envPassword = std::getenv("ISC_PASSWORD");
    const char* envDstPassword = std::getenv("DRAVIK_DST_PASSWORD");
    if (!userGiven && envUser && *envUser) s.srcUser = envUser;
    if (!passwordGiven && envPassword && *envPassword) s.srcPassword = envPassword;
    if (!dstUserGiven) s.dstUser = s.srcUser;
    if (!dstPasswordGiven) s.dstPassword = envDstPassword && *envDstPassword ? envDstPassword : s.srcPassword;
    if (!dstCharsetGiven) s.dstCodePage = s.srcCodePage;

    const size_t wanted = o.list ? 1 : 2;
    if (positional.size() < wanted || positional.size() > 2) {
        error = o.list ? "give the source database (and nothing more than a destination)"
                       : "give a SOURCE and a DESTINATION database";
        return std::nullopt;
    }
    SplitDatabaseName(positional[0], s.srcRemote, s.srcServer, s.srcPath);
    if (positional.size() > 1) SplitDatabaseName(positional[1], s.dstRemote, s.dstServer, s.dstPath);
    if (s.srcPath.empty()) {
        error = "the source database path is empty";
        return std::nullopt;
    }
    if (!o.list && s.dstPath.empty()) {
        error = "the destination database path is empty";
        return std::nullopt;
    }
    return o;
}

std::string HelpText() {
    return R"(Usage: dravik-clone [OPTIONS] SOURCE DESTINATION
  or:  dravik-clone --list [OPTIONS] SOURCE
  or:  dravik-clone --compare [OPTIONS] SOURCE DESTINATION

Clones a Firebird database: creates DESTINATION as a new, empty database and
rebuilds in it, object by object, the schema of SOURCE (external function
declarations, domains, generators, exceptions, procedures, tables with their
primary keys, indices, triggers and foreign keys, views), copies the rows of
the chosen tables, and can carry over roles and granted privileges. SOURCE is
only read: attached with its database triggers off, in read-only
transactions, and all its rows are read in one snapshot, so a source others
write to gives a clone of one moment. The run log goes to stdout (in colour on a terminal, unless
NO_COLOR is set); messages and errors go to stderr. On a terminal, a table's
progress lines are replaced in place by one live line (rows copied of the
table's total, rows per second, time left); the table's final count stays.

A database is a local path (opened through the embedded engine, no server
needed) or SERVER:PATH on a Firebird server (SERVER may be HOST/PORT). A name
that begins with "/" or "." is always a local path. When both are on one
server (the same SERVER) and no code page is asked for, that server copies
the rows itself, reading SOURCE with EXECUTE STATEMENT ... ON EXTERNAL, and
the run log says so; a table it cannot copy (a refused row) has its rows go
through dravik-clone, and all tables do when one copied has an array column
or SOURCE has an active database trigger.

Connections:
  -u, --user NAME         source user (default: ISC_USER, else SYSDBA)
  -p, --password TEXT     source password (default: ISC_PASSWORD, else corbelfin)
      --dst-user NAME     destination user (default: the source's)
      --password-file FILE
                          source password: the first line of FILE, exactly
                          (only its LF or CR LF removed)
      --dst-password TEXT destination password (default: DRAVIK_DST_PASSWORD,
                          else the source's)
      --dst-password-file FILE
                          destination password: the first line of FILE
                          (a password given as an option shows in the
                          process list; a file or the environment does not)
  -c, --charset NAME      source code page for reading rows (default NONE);
                          this and the next two take a name or alias of the
                          source's character sets, nothing else
      --dst-charset NAME  destination code page (default: the source's)
      --default-charset NAME
                          the new database's default character set
                          (default: the source database's own)
      --page-size N       512, 1024, 2048, 4096, 8192 or 16384 (default: the
                          source's page size; the server raises a size below
                          its minimum)
      --dialect N         the new database's SQL dialect, 1 or 3 (default: the
                          source's). Every statement of the clone is written in
                          it: in dialect 1 names are bare, double quotes
                          delimit strings, NUMERIC and DECIMAL wider than 9
                          digits stay DOUBLE PRECISION and DATE holds a time. A
                          dialect 1 source is not cloned in dialect 3 (exit 2)
      --connect-timeout N seconds an attach waits for a server that does not
                          answer, 1 to 3600 (default 15); a stop signal during
                          that wait ends the program at once
      --no-replace        fail instead of replacing an existing DESTINATION
      --allow-db-triggers when the user may not attach SOURCE with its database
                          triggers off (only SYSDBA and the owner may), attach
                          it with them active instead of failing (they may
                          write into SOURCE on connect and on commit)

What is copied (every object by default):
      --udfs LIST, --domains LIST, --generators LIST, --exceptions LIST,
      --procedures LIST, --functions LIST, --packages LIST, --db-triggers LIST,
      --tables LIST, --views LIST
                          LIST is all, none, or names separated by commas
                          (a name not found in SOURCE is an error)
      --data LIST         tables whose rows are copied (default all)
      --roles             copy the roles and the database's mappings
                          (CREATE MAPPING)
      --grants            copy the granted privileges (implies --roles)
      --no-generator-values
                          leave new generators at 0 instead of the source's value
      --stop-on-error     end a table's copy at its first failing row
                          (default: skip failing rows and count them)
      --commit-every N    rows between commits during the data copy,
                          1 to 32767 (default 500)
      --no-verify         skip the comparison of DESTINATION with SOURCE that
                          ends every finished clone (its "Verification" lines:
                          what was copied, catalogue with owners, and rows;
                          each difference is an error line)

Other:
      --list              print what each selection page offers (each title,
                          then its objects indented by a tab), then stop
      --compare           copy nothing: compare two existing databases,
                          catalogue (owners and mappings included) and every
                          table's rows, and list each difference on a line
                          of its own (the connection options apply; exit 0
                          equal, 1 different, 2 one of them could not be
                          read). Rows are compared by keyed 128-bit digests
                          (SipHash-2-4, BLAKE2b for blobs) under keys drawn
                          at random for each comparison, so rows written to
                          fool it cannot make two databases compare equal)
      --log FILE          write the whole run log (or what --list and
                          --compare print) to FILE as well, every progress
                          line included (FILE is replaced); refused when FILE
                          is SOURCE or DESTINATION under any spelling, or an
                          existing Firebird database
      --report FILE       when the run ends, however it ends, write to FILE a
                          JSON report of it: version, databases and options
                          (no passwords), start and finish, outcome and exit
                          status, objects created and failed per kind, rows
                          copied and refused per table, and the verification
                          with each difference (also with --compare and
                          --list; FILE is replaced; refused as --log is)
  -v, --verbose           print the job summary and each step to stderr,
                          and under each red line of the run log the
                          statement that failed
  -h, --help              show this text
      --version           show the program's version

Ctrl-C (or SIGTERM) ends the job after the current object or row, also
during the key build and the verification; what was done up to then stays in
DESTINATION. A stop before DESTINATION is dropped or created leaves everything
as it was. A second Ctrl-C ends it at once, as does the first while the
arguments are read (a password file) or during --compare. A
closed standard output (a reader such as "| head" that quit) stops the job as
Ctrl-C does.

Every object keeps its owner. A local DESTINATION is built partly in the
owners' names (the embedded engine takes a user name without a password);
on a server, which wants the owner's password, the objects belong to the
cloning user and each owner gets every right on his objects with grant
option, with a note line per owner, and the verification reports the owner.

Control characters in names and messages are shown escaped (\n, \x1B ...).

Exit status:
  0    the job finished without an error line and every row was copied
       (also --help, --list)
  1    the job finished, but wrote error lines to the run log, the
       destination refused rows (each table with refused rows has an error
       line with their number and the first refusal), the verification
       found a difference, or the --log file could not be written
  2    the destination could not be created or is SOURCE under another
       name, the source could not be read, or the command line was wrong
       (a --log file that is a database, an unknown code page)
  3    the job failed midway (an I/O error such as a full disk, a lost
       connection, a row the source could not read, a failed commit): the
       destination is incomplete
  130  the job was stopped by Ctrl-C, SIGTERM or a closed standard output
)";
}

}  // namespace dravik::cli
