#include "app/cli/selection.h"

#include "db/sql_text.h"
#include "frames/database_triggers.h"
#include "frames/declareSQL.h"
#include "frames/psql_routines.h"

#include <algorithm>

namespace dravik::cli {

namespace {

struct FrameChoice {
    frames::TFrame_select& frame;
    const ObjectChoice& choice;
    const char* option;  // the option that narrows it
    const char* kind;    // what its objects are, for messages
    // The procedures page holds several kinds, told apart by the prefix of
    // their object names; "" for the page's own kind (no prefix).
    const char* prefix = "";
};

const char* const kKindPrefixes[] = {frames::kFunctionPrefix, frames::kPackagePrefix, frames::kTriggerPrefix};

// Whether an object name belongs to the choice's kind.
bool OfKind(const FrameChoice& c, const std::string& objectName) {
    if (*c.prefix) return objectName.rfind(c.prefix, 0) == 0;
    for (const char* prefix : kKindPrefixes)
        if (objectName.rfind(prefix, 0) == 0) return false;
    return true;
}

// Picks (or unpicks) every object of the choice's kind.
void SelectKind(const FrameChoice& c, bool select) {
    std::vector<std::string> names;
    for (const frames::TQorListItems* list : {&c.frame.srcList, &c.frame.dstList})
        for (int i = 0; i < list->Count(); ++i)
            if (OfKind(c, list->Item(i).ObjectName)) names.push_back(list->Item(i).ObjectName);
    for (const std::string& name : names) select ? c.frame.Select(name) : c.frame.Deselect(name);
}

std::vector<FrameChoice> Choices(engine::TCloneJob& job, const CliOptions& o) {
    return {
        {job.Frame_select_udf, o.udfs, "--udfs", "external function"},
        {job.Frame_select_domain, o.domains, "--domains", "domain"},
        {job.Frame_select_generator, o.generators, "--generators", "generator"},
        {job.Frame_select_exception, o.exceptions, "--exceptions", "exception"},
        {job.Frame_select_procedure, o.procedures, "--procedures", "procedure"},
        {job.Frame_select_procedure, o.functions, "--functions", "function", frames::kFunctionPrefix},
        {job.Frame_select_procedure, o.packages, "--packages", "package", frames::kPackagePrefix},
        {job.Frame_select_procedure, o.dbTriggers, "--db-triggers", "database trigger", frames::kTriggerPrefix},
        {job.Frame_select_table1, o.tables, "--tables", "table"},
        {job.Frame_select_view, o.views, "--views", "view"},
        {job.Frame_select_data, o.data, "--data", "table"},
    };
}

// Picks one object by its name as given, else by its upper-case form (the
// form the server stores unquoted names in).
bool Pick(frames::TFrame_select& frame, const std::string& name) {
    return frame.Select(name) || frame.Select(frames::UpperCase(name));
}

}  // namespace

std::string ApplyChoices(engine::TCloneJob& job, const CliOptions& options) {
    std::string message;
    for (const FrameChoice& c : Choices(job, options)) {
        SelectKind(c, c.choice.all);
        if (c.choice.all) continue;
        std::vector<std::string> missing;
        for (const std::string& name : c.choice.names)
            if (!Pick(c.frame, c.prefix + name)) missing.push_back(name);
        if (missing.empty()) continue;
        if (!message.empty()) message += "\n";
        message += std::string(c.option) + ": the source has no " + c.kind + (missing.size() > 1 ? "s" : "") +
                   " named ";
        for (size_t i = 0; i < missing.size(); ++i) message += (i ? ", " : "") + missing[i];
    }
    if (!message.empty()) message += "\n(dravik-clone --list SOURCE shows every object the source offers)";
    return message;
}

std::map<std::string, std::vector<std::string>> PrintOffered(engine::TCloneJob& job, std::FILE* out) {
    std::map<std::string, std::vector<std::string>> offered;
    for (frames::TFrame_select* frame : job.Frames()) {
        std::vector<controls::TQorListItem> items;
        for (const frames::TQorListItems* list : {&frame->srcList, &frame->dstList})
            for (int i = 0; i < list->Count(); ++i) items.push_back(list->Item(i));
        std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            return controls::CompareCaptions(a.Caption, b.Caption) < 0;
        });
        std::fprintf(out, "%s\n", frame->Title().c_str());
        std::vector<std::string>& captions = offered[frame->Title()];
        for (const auto& item : items) {
            captions.push_back(frames::Trim(item.Caption));
            std::fprintf(out, "\t%s\n", db::EscapeControls(captions.back()).c_str());
        }
    }
    std::fflush(out);
    return offered;
}

}  // namespace dravik::cli
