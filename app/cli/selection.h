// The command line's object choices applied to the loaded frames, and the
// listing of what each selection page offers.
#pragma once

#include "app/cli/cli_options.h"
#include "app/engine/clone_job.h"

#include <cstdio>
#include <map>
#include <string>

namespace dravik::cli {

// Picks, in every frame, the objects the options name (all of the seven
// schema types and every table's rows by default). Returns an empty text, or
// a message naming each object the source does not have, with its type.
std::string ApplyChoices(engine::TCloneJob& job, const CliOptions& options);

// For every frame in job order: its title, then each object it offers on a
// line of its own, indented by a tab.
// Returns the same listing: each page's title and its objects' captions.
std::map<std::string, std::vector<std::string>> PrintOffered(engine::TCloneJob& job, std::FILE* out);

}  // namespace dravik::cli
