// Log entries as data: a caption and a text, each in a colour. The run log
// and the summary log are sinks; the window, the terminal and the tests each
// provide their own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace dravik::engine {

struct Colour {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

inline constexpr Colour kGrey{128, 128, 128};   // captions
inline constexpr Colour kGreen{0, 128, 0};      // LogOk
inline constexpr Colour kNavy{0, 0, 128};       // LogNote, SummaryNote
inline constexpr Colour kRed{255, 0, 0};        // LogError
inline constexpr Colour kBlack{0, 0, 0};        // SummaryPlain
inline constexpr Colour kDarkRed{96, 0, 0};     // SummaryWarn

// What an intermediate progress line of a table's copy counts, beside its
// text: a terminal may redraw such lines in place.
struct LogProgress {
    bool live = false;        // an intermediate line; the table's final count is not
    std::string subject;      // the table
    std::int64_t done = 0;    // rows handled so far
    std::int64_t total = -1;  // the table's rows, when counted; -1 otherwise
};

struct LogEntry {
    LogEntry() = default;
    // The detail is optional, so that the four-part form stays complete.
    LogEntry(std::string caption_, Colour captionColour_, std::string text_, Colour textColour_,
             std::string detail_ = {})
        : caption(std::move(caption_)), captionColour(captionColour_), text(std::move(text_)),
          textColour(textColour_), detail(std::move(detail_)) {}

    std::string caption;  // may be empty; shown bold, followed by ": "
    Colour captionColour = kGrey;
    std::string text;     // may be empty; followed by a line break
    Colour textColour = kBlack;
    std::string detail;   // may be empty; for a red line, the statement that failed
    LogProgress progress;
};

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void Append(const LogEntry& entry) = 0;
};

// Keeps every entry; used by tests and by callers that inspect a run.
class MemorySink : public LogSink {
public:
    void Append(const LogEntry& entry) override { entries.push_back(entry); }
    // Each entry as the log shows it: caption + ": " + text.
    std::vector<std::string> Lines() const;
    void Clear() { entries.clear(); }
    std::vector<LogEntry> entries;
};

// Writes entries to a stream: the caption in bold grey followed by ": ", the
// text in the entry's colour; ANSI colours only when asked for. With details,
// an entry's detail follows on lines of its own, indented (and dimmed). With
// liveProgress (a terminal), a table's intermediate progress lines are not
// written one under the other but redrawn in place as one line: the table,
// its rows so far (of its total, when counted), the rows per second and the
// time left; the next entry replaces that line.
class TerminalSink : public LogSink {
public:
    TerminalSink(std::FILE* stream, bool colours, bool details = false, bool liveProgress = false)
        : stream_(stream), colours_(colours), details_(details), liveProgress_(liveProgress) {}
    void Append(const LogEntry& entry) override;

private:
    void WriteDetail(const std::string& detail);
    void DrawLiveLine(const LogProgress& progress);
    void ClearLiveLine();

    std::FILE* stream_;
    bool colours_;
    bool details_;
    bool liveProgress_;
    bool liveLineShown_ = false;
    std::string liveSubject_;           // the table the live line counts
    double liveStart_ = 0;              // seconds on a steady clock at its first line
    std::int64_t liveStartDone_ = 0;    // and the rows it counted then
};

// Sends every entry to each of its sinks (the terminal and a --log file).
class TeeSink : public LogSink {
public:
    TeeSink(LogSink& first, LogSink& second) : first_(first), second_(second) {}
    void Append(const LogEntry& entry) override {
        first_.Append(entry);
        second_.Append(entry);
    }

private:
    LogSink& first_;
    LogSink& second_;
};

// The text of an entry as one line: caption + ": " (when there is a caption) + text.
std::string EntryLine(const LogEntry& entry);


}  // namespace dravik::engine
