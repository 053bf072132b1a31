#include "app/cli/selection.h"

#include "db/sql_text.h"
#include "frames/declareSQL.h"

#include <algorithm>

namespace dravik::cli {

namespace {

struct FrameChoice {
    frames::TFrame_select& frame;
    const ObjectChoice& choice;
    const char* option;  // the option that narrows it
    const char* noun;    // what its objects are, for messages
    // The kind of its objects: the procedures page holds several.
    schema::ObjectKind kind;
};

// Picks (or unpicks) every object of the choice's kind.
void SelectKind(const FrameChoice& c, bool select) {
    std::vector<std::string> names;
    for (const frames::TQorListItems* list : {&c.frame.srcList, &c.frame.dstList})
        for (int i = 0; i < list->Count(); ++i)
            if (list->Item(i).Kind == c.kind) names.push_back(list->Item(i).ObjectName);
    for (const std::string& name : names) select ? c.frame.Select(name, c.kind) : c.frame.Deselect(name, c.kind);
}

std::vector<FrameChoice> Choices(engine::TCloneJob& job, const CliOptions& o) {
    using schema::ObjectKind;
    return {
        {job.Frame_select_udf, o.udfs, "--udfs", "external function", ObjectKind::ExternalFunction},
        {job.Frame_select_domain, o.domains, "--domains", "domain", ObjectKind::Domain},
        {job.Frame_select_generator, o.generators, "--generators", "generator", ObjectKind::Generator},
        {job.Frame_select_exception, o.exceptions, "--exceptions", "exception", ObjectKind::Exception},
        {job.Frame_select_procedure, o.procedures, "--procedures", "procedure", ObjectKind::Procedure},
        {job.Frame_select_procedure, o.functions, "--functions", "function", ObjectKind::Function},
        {job.Frame_select_procedure, o.packages, "--packages", "package", ObjectKind::Package},
        {job.Frame_select_procedure, o.dbTriggers, "--db-triggers", "database trigger", ObjectKind::DatabaseTrigger},
        {job.Frame_select_table1, o.tables, "--tables", "table", ObjectKind::Table},
        {job.Frame_select_view, o.views, "--views", "view", ObjectKind::View},
        {job.Frame_select_data, o.data, "--data", "table", ObjectKind::Table},
    };
}

// Picks one object by its name as given, else by its upper-case form (the
// form the server stores unquoted names in).
bool Pick(const FrameChoice& c, const std::string& name) {
    return c.frame.Select(name, c.kind) || c.frame.Select(frames::UpperCase(name), c.kind);
}

}  // namespace

std::string ApplyChoices(engine::TCloneJob& job, const CliOptions& options) {
    std::string message;
    for (const FrameChoice& c : Choices(job, options)) {
        SelectKind(c, c.choice.all);
        if (c.choice.all) continue;
        std::vector<std::string> missing;
        for (const std::string& name : c.choice.names)
            if (!Pick(c, name)) missing.push_back(name);
        if (missing.empty()) continue;
        if (!message.empty()) message += "\n";
        message += std::string(c.option) + ": the source has no " + c.noun + (missing.size() > 1 ? "s" : "") +
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
