#include "app/engine/clone_job.h"

#include "app/engine/error_detail.h"
#include "db/sql_text.h"
#include "frames/source_table_prefetch.h"

namespace dravik::engine {

TCloneJob::TCloneJob(LogSink& runLog, LogSink& summaryLog, JobUi& ui)
    : runLog_(runLog), summaryLog_(summaryLog), ui_(ui) {
    for (frames::TFrame_select* frame : Frames()) frame->wizard = this;
}

TCloneJob::~TCloneJob() = default;

std::vector<frames::TFrame_select*> TCloneJob::Frames() {
    return {&Frame_select_udf,       &Frame_select_domain,  &Frame_select_generator, &Frame_select_exception,
            &Frame_select_procedure, &Frame_select_table1, &Frame_select_view,      &Frame_select_data};
}

void TCloneJob::Append(LogSink& sink, const std::string& caption, const std::string& text, Colour colour,
                       const std::string& detail) {
    // Names and messages reach the logs with their control characters
    // escaped; the line breaks of a server's message stay.
    LogSink& target = &sink == &runLog_ && heldRunLog_ ? *heldRunLog_ : sink;
    target.Append(LogEntry{db::EscapeControls(caption, db::LineBreaks::KeepCrLf), kGrey,
                         db::EscapeControls(text, db::LineBreaks::KeepCrLf), colour, db::EscapeControls(detail, db::LineBreaks::Keep)});
    ui_.ProcessEvents();
}

void TCloneJob::LogOk(const std::string& c, const std::string& t) { Append(runLog_, c, t, kGreen); }
void TCloneJob::LogNote(const std::string& c, const std::string& t) { Append(runLog_, c, t, kNavy); }
void TCloneJob::LogError(const std::string& c, const std::string& t) {
    ++report_.errorLines;
    LogEntry line;
    line.caption = c;
    line.text = t;
    report_.errors.push_back(EntryLine(line));
    Append(runLog_, c, t, kRed, HandledErrorDetail(t));
    // Another object would fail the same way: the job ends here.
    if (HandledEnvironmentFault(t)) failed_ = true;
}
void TCloneJob::LogProgress(const std::string& c, const std::string& t, const std::string& table,
                            std::int64_t done, std::int64_t total) {
    LogEntry entry{c, kGrey, t, kGreen};
    entry.progress = {true, db::EscapeControls(table), done, total};
    runLog_.Append(entry);
    ui_.ProcessEvents();
}
void TCloneJob::JobFailed(const std::string& c, const std::string& t) {
    LogError(c, t);
    failed_ = true;
}
void TCloneJob::SummaryPlain(const std::string& c, const std::string& t) { Append(summaryLog_, c, t, kBlack); }
void TCloneJob::SummaryNote(const std::string& c, const std::string& t) { Append(summaryLog_, c, t, kNavy); }
void TCloneJob::SummaryWarn(const std::string& c, const std::string& t) { Append(summaryLog_, c, t, kDarkRed); }

std::string FormatJobTime(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%m-%d-%y %H:%M:%S", &local);
    return buffer;
}

std::string FormatDuration(std::time_t seconds) {
    if (seconds < 0) seconds = 0;
    const long s = static_cast<long>(seconds % 86400);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
    return buffer;
}

}  // namespace dravik::engine
