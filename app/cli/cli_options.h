// The command line of dravik-clone, parsed into the job's settings.
#pragma once

#include "app/engine/settings.h"

#include <optional>
#include <string>
#include <vector>

namespace dravik::cli {

// Which objects of one type a run takes: every one (the default), or the named ones.
struct ObjectChoice {
    bool all = true;
    std::vector<std::string> names;
};

struct CliOptions {
    engine::JobSettings settings;
    bool help = false;
    bool list = false;           // print what each selection page offers, then stop
    std::string logFile;         // the whole run log also goes to this file
    std::string reportFile;      // a JSON report of the run goes to this file
    bool version = false;
    bool verbose = false;        // the job summary and the steps on stderr
    bool compare = false;        // only compare SOURCE with DESTINATION (see compare_command.h)
    // Tables whose rows are copied: all by default on the command line.
    ObjectChoice data;
    // Objects per type, keyed by the frames' job order: udf, domain, generator,
    // exception, procedure, table, view.
    ObjectChoice udfs, domains, generators, exceptions, procedures, tables, views;
    // The other kinds of the procedures page.
    ObjectChoice functions, packages, dbTriggers;
};

// Parses argv (without argv[0]); on bad input returns nothing and sets error.
// Environment: ISC_USER and ISC_PASSWORD give the source's credentials and
// DRAVIK_DST_PASSWORD the destination's password when
// the options do not.
std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

// Splits "SERVER:PATH" from a local path. A single letter before ":" followed
// by "\" or "/" is a Windows drive, not a server; a name that begins with "/"
// or "." is a local path whatever colons it holds.
void SplitDatabaseName(const std::string& name, bool& remote, std::string& server, std::string& path);

std::string HelpText();

}  // namespace dravik::cli
