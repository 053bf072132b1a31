#include "app/engine/log.h"

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

void TerminalSink::Append(const LogEntry& original) {
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
