#include "app/cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <utility>

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

namespace {

// What the parser knows besides the options themselves: which settings were
// given, so the environment and the source's values fill only the others.
struct ParseState {
    CliOptions& o;
    bool userGiven = false, passwordGiven = false, dstUserGiven = false, dstPasswordGiven = false;
    bool dstCharsetGiven = false;
};

// One command-line option: its names, the name of its value (none for a
// switch), where it goes in the help, what it means, and what it does with
// its value (an error text when the value is refused). The parser, --help
// and so the manual page all read this one table.
struct OptionRow {
    std::vector<std::string> names;
    const char* argument;  // nullptr: a switch
    const char* section;
    const char* help;
    std::function<std::string(ParseState&, const std::string& name, const std::string& value)> set;
};

std::string WholeNumber(const std::string& option, const std::string& value, int low, int high, int& out,
                        const std::string& unit = "") {
    if (ParseWhole(value, low, high, out)) return "";
    return option + " takes a whole number" + unit + " from " + std::to_string(low) + " to " + std::to_string(high) +
           ", not '" + value + "'";
}

// The object choices, one option each, and the member each fills.
const std::vector<std::pair<std::string, ObjectChoice CliOptions::*>>& ChoiceOptions() {
    static const std::vector<std::pair<std::string, ObjectChoice CliOptions::*>> choices = {
        {"--udfs", &CliOptions::udfs},           {"--domains", &CliOptions::domains},
        {"--generators", &CliOptions::generators}, {"--exceptions", &CliOptions::exceptions},
        {"--procedures", &CliOptions::procedures}, {"--functions", &CliOptions::functions},
        {"--packages", &CliOptions::packages},   {"--db-triggers", &CliOptions::dbTriggers},
        {"--tables", &CliOptions::tables},       {"--views", &CliOptions::views}};
    return choices;
}

constexpr const char* kConnections = "Connections:";
constexpr const char* kCopied = "What is copied (every object by default):";
constexpr const char* kOther = "Other:";

const std::vector<OptionRow>& Options() {
    using S = ParseState;
    using V = const std::string&;
    static const std::vector<OptionRow> rows = [] {
        std::vector<OptionRow> table = {
            {{"-u", "--user"}, "NAME", kConnections, "source user (default: ISC_USER, else SYSDBA)",
             [](S& p, V, V v) { p.o.settings.srcUser = v, p.userGiven = true; return ""; }},
            {{"-p", "--password"}, "TEXT", kConnections, "source password (default: ISC_PASSWORD, else corbelfin)",
             [](S& p, V, V v) { p.o.settings.srcPassword = v, p.passwordGiven = true; return ""; }},
            {{"--dst-user"}, "NAME", kConnections, "destination user (default: the source's)",
             [](S& p, V, V v) { p.o.settings.dstUser = v, p.dstUserGiven = true; return ""; }},
            {{"--password-file"}, "FILE", kConnections,
             "source password: the first line of FILE, exactly (only its LF or CR LF removed)",
             [](S& p, V, V v) -> std::string {
                 if (!ReadFirstLine(v, p.o.settings.srcPassword)) return "cannot read the password file '" + v + "'";
                 p.passwordGiven = true;
                 return "";
             }},
            {{"--dst-password"}, "TEXT", kConnections,
             "destination password (default: DRAVIK_DST_PASSWORD, else the source's)",
             [](S& p, V, V v) { p.o.settings.dstPassword = v, p.dstPasswordGiven = true; return ""; }},
            {{"--dst-password-file"}, "FILE", kConnections,
             "destination password: the first line of FILE (a password given as an option shows in the process "
             "list; a file or the environment does not)",
             [](S& p, V, V v) -> std::string {
                 if (!ReadFirstLine(v, p.o.settings.dstPassword)) return "cannot read the password file '" + v + "'";
                 p.dstPasswordGiven = true;
                 return "";
             }},
            {{"-c", "--charset"}, "NAME", kConnections,
             "source code page for reading rows (default NONE); this and the next two take a name or alias of the "
             "source's character sets, nothing else",
             [](S& p, V, V v) { p.o.settings.srcCodePage = v; return ""; }},
            {{"--dst-charset"}, "NAME", kConnections, "destination code page (default: the source's)",
             [](S& p, V, V v) { p.o.settings.dstCodePage = v, p.dstCharsetGiven = true; return ""; }},
            {{"--default-charset"}, "NAME", kConnections,
             "the new database's default character set (default: the source database's own)",
             [](S& p, V, V v) { p.o.settings.defaultCharset = v; return ""; }},
            {{"--convert-text"}, nullptr, kConnections,
             "declare every text column, domain, parameter and PSQL variable of a character set other than the "
             "new default (OCTETS and NONE excepted) in the --default-charset, which it needs, and have the server "
             "transliterate the values on the way; a collation the new set lacks becomes its default (a note line), "
             "a length beyond its limit is cut to it (an error line), each naming the column; the verification "
             "compares texts by their characters",
             [](S& p, V, V) { p.o.settings.convertText = true; return ""; }},
            {{"--none-as"}, "NAME", kConnections,
             "with --convert-text: the code page the bytes of NONE texts are in, so that they are converted too "
             "(a value not valid in it is a refused row)",
             [](S& p, V, V v) { p.o.settings.noneAs = v; return ""; }},
            {{"--page-size"}, "N", kConnections,
             "512, 1024, 2048, 4096, 8192 or 16384 (default: the source's page size; the server raises a size "
             "below its minimum)",
             [](S& p, V, V v) -> std::string {
                 const std::vector<std::string>& allowed = engine::PageSizes();
                 if (std::find(allowed.begin(), allowed.end(), v) == allowed.end())
                     return "--page-size takes one of " + JoinedList(allowed) + ", not '" + v + "'";
                 p.o.settings.pageSize = v;
                 return "";
             }},
            {{"--dialect"}, "N", kConnections,
             "the new database's SQL dialect, 1 or 3 (default: the source's). Every statement of the clone is "
             "written in it: in dialect 1 names are bare, double quotes delimit strings, NUMERIC and DECIMAL wider "
             "than 9 digits stay DOUBLE PRECISION and DATE holds a time. A dialect 1 source given 3 is migrated, "
             "every value kept: its NUMERIC and DECIMAL wider than 9 digits become DOUBLE PRECISION (always, "
             "not a scaled BIGINT), DATE becomes TIMESTAMP (in PSQL declarations and casts too), double-quoted "
             "strings in stored texts become single-quoted; a stored text dialect 3 still refuses is a red line. "
             "Integer division is not rewritten (dialect 3 truncates it)",
             [](S& p, V, V v) -> std::string {
                 if (v != "1" && v != "3") return "--dialect takes 1 or 3, not '" + v + "'";
                 p.o.settings.sqlDialect = std::stoi(v);
                 return "";
             }},
            {{"--connect-timeout"}, "N", kConnections,
             "seconds an attach waits for a server that does not answer, 1 to 3600 (default 15); a stop signal "
             "during that wait ends the program at once",
             [](S& p, V name, V v) {
                 return WholeNumber(name, v, 1, 3600, p.o.settings.connectTimeout, " of seconds");
             }},
            {{"--no-replace"}, nullptr, kConnections, "fail instead of replacing an existing DESTINATION",
             [](S& p, V, V) { p.o.settings.dstReplace = false; return ""; }},
            {{"--allow-db-triggers"}, nullptr, kConnections,
             "when the user may not attach SOURCE with its database triggers off (only SYSDBA and the owner may), "
             "attach it with them active instead of failing (they may write into SOURCE on connect and on commit)",
             [](S& p, V, V) { p.o.settings.allowSourceDbTriggers = true; return ""; }},
        };
        OptionRow choices{{}, "LIST", kCopied,
                          "LIST is all, none, or names separated by commas (a name not found in SOURCE is an error)",
                          [](S& p, V name, V v) {
                              for (const auto& [option, member] : ChoiceOptions())
                                  if (option == name) p.o.*member = ParseChoice(v);
                              return "";
                          }};
        for (const auto& choice : ChoiceOptions()) choices.names.push_back(choice.first);
        table.push_back(choices);
        const std::vector<OptionRow> rest = {
            {{"--data"}, "LIST", kCopied, "tables whose rows are copied (default all)",
             [](S& p, V, V v) { p.o.data = ParseChoice(v); return ""; }},
            {{"--roles"}, nullptr, kCopied, "copy the roles and the database's mappings (CREATE MAPPING)",
             [](S& p, V, V) { p.o.settings.createRoles = true; return ""; }},
            {{"--grants"}, nullptr, kCopied, "copy the granted privileges (implies --roles)",
             [](S& p, V, V) {
                 p.o.settings.createRoles = true;  // user rights go only together with roles
                 p.o.settings.grant = true;
                 return "";
             }},
            {{"--no-generator-values"}, nullptr, kCopied, "leave new generators at 0 instead of the source's value",
             [](S& p, V, V) { p.o.settings.useGeneratorValues = false; return ""; }},
            {{"--stop-on-error"}, nullptr, kCopied,
             "end a table's copy at its first failing row (default: skip failing rows and count them)",
             [](S& p, V, V) { p.o.settings.ignoreErrors = false; return ""; }},
            {{"--commit-every"}, "N", kCopied, "rows between commits during the data copy, 1 to 32767 (default 500)",
             [](S& p, V name, V v) { return WholeNumber(name, v, 1, 32767, p.o.settings.commitEvery); }},
            {{"--no-verify"}, nullptr, kCopied,
             "skip the comparison of DESTINATION with SOURCE that ends every finished clone (its \"Verification\" "
             "lines: what was copied, catalogue with owners, and rows; each difference is an error line)",
             [](S& p, V, V) { p.o.settings.verify = false; return ""; }},
            {{"--list"}, nullptr, kOther,
             "print what each selection page offers (each title, then its objects indented by a tab), then stop",
             [](S& p, V, V) { p.o.list = true; return ""; }},
            {{"--compare"}, nullptr, kOther,
             "copy nothing: compare two existing databases, catalogue (owners and mappings included) and every "
             "table's rows, and list each difference on a line of its own (the connection options apply; exit 0 "
             "equal, 1 different, 2 one of them could not be read). Rows are compared by keyed 128-bit digests "
             "(SipHash-2-4, BLAKE2b for blobs) under keys drawn at random for each comparison, so rows written to "
             "fool it cannot make two databases compare equal",
             [](S& p, V, V) { p.o.compare = true; return ""; }},
            {{"--log"}, "FILE", kOther,
             "write the whole run log (or what --list and --compare print) to FILE as well, every progress line "
             "included (FILE is replaced); refused when FILE is SOURCE or DESTINATION under any spelling, or an "
             "existing Firebird database",
             [](S& p, V, V v) { p.o.logFile = v; return ""; }},
            {{"--report"}, "FILE", kOther,
             "when the run ends, however it ends, write to FILE a JSON report of it: version, databases and "
             "options (no passwords), start and finish, outcome and exit status, objects created and failed per "
             "kind, rows copied and refused per table, and the verification with each difference (also with "
             "--compare and --list; FILE is replaced; refused as --log is)",
             [](S& p, V, V v) { p.o.reportFile = v; return ""; }},
            {{"-v", "--verbose"}, nullptr, kOther,
             "print the job summary and each step to stderr, and under each red line of the run log the statement "
             "that failed",
             [](S& p, V, V) { p.o.verbose = true; return ""; }},
            {{"-h", "--help"}, nullptr, kOther, "show this text", [](S& p, V, V) { p.o.help = true; return ""; }},
            {{"--version"}, nullptr, kOther, "show the program's version",
             [](S& p, V, V) { p.o.version = true; return ""; }},
        };
        table.insert(table.end(), rest.begin(), rest.end());
        return table;
    }();
    return rows;
}

const OptionRow* FindOption(const std::string& name) {
    for (const OptionRow& row : Options())
        if (std::find(row.names.begin(), row.names.end(), name) != row.names.end()) return &row;
    return nullptr;
}

}  // namespace

std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string& error) {
    CliOptions o;
    engine::JobSettings& s = o.settings;
    s.pageSize.clear();  // the source's, unless --page-size asks for another
    ParseState state{o};
    std::vector<std::string> positional;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        // A long option may carry its value after "=".
        std::string name = a, value;
        bool hasInline = false;
        if (const size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            hasInline = true;
        }
        const OptionRow* option = FindOption(name);
        if (!option) {
            error = "unknown option " + a;
            return std::nullopt;
        }
        if (option->argument && !hasInline) {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (std::string refused = option->set(state, name, value); !refused.empty()) {
            error = std::move(refused);
            return std::nullopt;
        }
    }
    if (o.help || o.version) return o;

    const char* envUser = std::getenv("ISC_USER");
    const char* envPassword = std::getenv("ISC_PASSWORD");
    const char* envDstPassword = std::getenv("DRAVIK_DST_PASSWORD");
    if (!state.userGiven && envUser && *envUser) s.srcUser = envUser;
    if (!state.passwordGiven && envPassword && *envPassword) s.srcPassword = envPassword;
    if (!state.dstUserGiven) s.dstUser = s.srcUser;
    if (!state.dstPasswordGiven) s.dstPassword = envDstPassword && *envDstPassword ? envDstPassword : s.srcPassword;
    if (!state.dstCharsetGiven) s.dstCodePage = s.srcCodePage;

    if (s.convertText && s.defaultCharset.empty()) {
        error = "--convert-text needs --default-charset: the character set the texts are converted into";
        return std::nullopt;
    }
    if (!s.noneAs.empty() && !s.convertText) {
        error = "--none-as is used only with --convert-text";
        return std::nullopt;
    }
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

namespace {

constexpr size_t kHelpWidth = 79;
constexpr size_t kHelpColumn = 26;

// Items (words, or an option's names) filled into lines of `width`, joined
// by `separator`; each line after the first indented by `indent` (the first
// goes on after what `out` holds).
void Fill(std::string& out, const std::vector<std::string>& items, const std::string& separator, size_t indent,
          size_t width) {
    const size_t lineStart = out.rfind('\n');
    size_t column = out.size() - (lineStart == std::string::npos ? 0 : lineStart + 1);
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string item = items[i] + (i + 1 < items.size() ? separator.substr(0, separator.size() - 1) : "");
        if (i > 0 && column + 1 + item.size() > width) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
        } else if (i > 0) {
            out += ' ';
            ++column;
        }
        out += item;
        column += item.size();
    }
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// One option as the help shows it: its names (with its value's name) from
// column 2, or 6 for a long name alone, and its meaning from column 26, on
// the next line when the names reach that far.
std::string OptionHelp(const OptionRow& row) {
    std::vector<std::string> names;
    for (const std::string& name : row.names)
        names.push_back(name + (row.argument && name.rfind("--", 0) == 0 ? std::string(" ") + row.argument : ""));
    std::string line = row.names.front().rfind("--", 0) == 0 ? "      " : "  ";
    Fill(line, names, ", ", 6, kHelpWidth);
    const size_t lineStart = line.rfind('\n');
    const size_t column = line.size() - (lineStart == std::string::npos ? 0 : lineStart + 1);
    line += column < kHelpColumn ? std::string(kHelpColumn - column, ' ') : "\n" + std::string(kHelpColumn, ' ');
    Fill(line, Words(row.help), " ", kHelpColumn, kHelpWidth);
    return line + "\n";
}

}  // namespace

std::string HelpText() {
    std::string text = R"(Usage: dravik-clone [OPTIONS] SOURCE DESTINATION
  or:  dravik-clone --list [OPTIONS] SOURCE
  or:  dravik-clone --compare [OPTIONS] SOURCE DESTINATION

Clones a Firebird database: creates DESTINATION as a new, empty database and
rebuilds in it, object by object, the schema of SOURCE (external function
declarations, domains, generators, exceptions, procedures, tables with their
primary keys, indices, triggers and foreign keys, views), copies the rows of
the chosen tables, and can carry over roles and granted privileges. SOURCE is
only read: attached with its database triggers off, in read-only
transactions, and all its rows are read in one snapshot, so a source others
write to gives a clone of one moment. The run log goes to stdout (in colour
on a terminal, unless NO_COLOR is set); messages and errors go to stderr. On
a terminal, a table's progress lines are replaced in place by one live line
(rows copied of the table's total, rows per second, time left); the table's
final count stays.

A database is a local path (opened through the embedded engine, no server
needed) or SERVER:PATH on a Firebird server (SERVER may be HOST/PORT). A name
that begins with "/" or "." is always a local path. When both are on one
server (the same SERVER) and no code page is asked for, that server copies
the rows itself, reading SOURCE with EXECUTE STATEMENT ... ON EXTERNAL, and
the run log says so; a table it cannot copy (a refused row) has its rows go
through dravik-clone, and all tables do when one copied has an array column
or SOURCE has an active database trigger.
)";
    for (const char* section : {kConnections, kCopied, kOther}) {
        text += std::string("\n") + section + "\n";
        for (const OptionRow& row : Options())
            if (row.section == section) text += OptionHelp(row);
    }
    return text + R"(
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
