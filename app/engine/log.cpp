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

}  // namespace

void TerminalSink::Append(const LogEntry& original) {
    LogEntry entry = original;
    entry.caption = WithoutCarriageReturns(entry.caption);
    entry.text = WithoutCarriageReturns(entry.text);
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
    std::fflush(stream_);
}

}  // namespace dravik::engine
