#include "app/engine/log.h"

#include <chrono>
#include <cstdio>

namespace dravik::engine {

std::string EntryLine(const LogEntry& entry) {
    return entry.caption.empty() ? entry.text : entry.caption + ": " + entry.text;
}

std::vector<std::string> MemorySink::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const LogEntry& e : entries) lines.push_back(EntryLine(e));
    return lines;
}

namespace {

void Colourise(std::FILE* out, Colour c, bool bold) {
    std::fprintf(out, "\x1b[%s38;2;%u;%u;%um", bold ? "1;" : "", c.r, c.g, c.b);
}

}  // namespace

namespace {

// The terminal ends lines with LF alone.
std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

// The lines that continue a text after its first non-empty one are indented
// (by two blanks: a statement under a red line has four),
// so that no text can begin a line of its own that reads like a log entry.
std::string IndentContinuations(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool started = false;
    for (char c : text) {
        out += c;
        if (c != '\n') started = true;
        else if (started) out += "  ";
    }
    return out;
}

}  // namespace

namespace {

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// "M:SS" or "H:MM:SS".
std::string Clock(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

void TerminalSink::ClearLiveLine() {
    if (!liveLineShown_) return;
    std::fputs("\r\x1b[K", stream_);
    liveLineShown_ = false;
}

void TerminalSink::DrawLiveLine(const LogProgress& progress) {
    const double now = SteadySeconds();
    if (progress.subject != liveSubject_) {  // the table's first progress line
        liveSubject_ = progress.subject;
        liveStart_ = now;
        liveStartDone_ = progress.done;
    }
    const double elapsed = now - liveStart_;
    const double rate = elapsed > 0 ? static_cast<double>(progress.done - liveStartDone_) / elapsed : 0;
    std::string line = progress.subject + ": " + std::to_string(progress.done);
    if (progress.total >= 0) line += " of " + std::to_string(progress.total);
    line += " rows";
    if (rate > 0) {
        line += ", " + std::to_string(static_cast<long long>(rate)) + " rows/s";
        if (progress.total > progress.done)
            line += ", " + Clock(static_cast<double>(progress.total - progress.done) / rate) + " left";
    }
    std::fputs("\r\x1b[K", stream_);
    std::fputs(line.c_str(), stream_);
    std::fflush(stream_);
    liveLineShown_ = true;
}

void TerminalSink::Append(const LogEntry& original) {
    if (liveProgress_ && original.progress.live) {
        DrawLiveLine(original.progress);
        return;
    }
    ClearLiveLine();
    if (liveProgress_ && !original.progress.subject.empty()) liveSubject_.clear();  // the table's last line
    LogEntry entry = original;
    entry.caption = WithoutCarriageReturns(entry.caption);
    entry.text = IndentContinuations(WithoutCarriageReturns(entry.text));
    if (!entry.caption.empty()) {
        if (colours_) Colourise(stream_, entry.captionColour, true);
        std::fputs(entry.caption.c_str(), stream_);
        std::fputs(": ", stream_);
        if (colours_) std::fputs("\x1b[0m", stream_);
    }
    if (colours_ && !entry.text.empty()) Colourise(stream_, entry.textColour, false);
    std::fputs(entry.text.c_str(), stream_);
    if (colours_ && !entry.text.empty()) std::fputs("\x1b[0m", stream_);
    std::fputs("\n", stream_);
    if (details_) WriteDetail(WithoutCarriageReturns(entry.detail));
    std::fflush(stream_);
}

void TerminalSink::WriteDetail(const std::string& detail) {
    // Line breaks around the text (some statements begin with one) are dropped.
    const size_t first = detail.find_first_not_of("\n");
    if (first == std::string::npos) return;
    const size_t end = detail.find_last_not_of(" \t\n") + 1;
    for (size_t at = first; at < end;) {
        size_t lineEnd = detail.find('\n', at);
        if (lineEnd == std::string::npos || lineEnd > end) lineEnd = end;
        if (colours_) std::fputs("\x1b[2m", stream_);
        std::fprintf(stream_, "    %.*s", static_cast<int>(lineEnd - at), detail.data() + at);
        if (colours_) std::fputs("\x1b[0m", stream_);
        std::fputs("\n", stream_);
        at = lineEnd + 1;
    }
}

}  // namespace dravik::engine
