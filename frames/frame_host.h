// What a frame needs from the wizard it is linked to: the six log writers
// and the end of a failed job,
// the stop flag, and letting pending window events run.
#pragma once

#include <cstdint>
#include <string>

namespace dravik::frames {

class FrameHost {
public:
    virtual ~FrameHost() = default;
    virtual void LogOk(const std::string& caption, const std::string& text) = 0;
    virtual void LogNote(const std::string& caption, const std::string& text) = 0;
    virtual void LogError(const std::string& caption, const std::string& text) = 0;
    // A red line for a failure that is not the object's own (the source or
    // the destination failing underneath): the job ends after it.
    virtual void JobFailed(const std::string& caption, const std::string& text) = 0;
    virtual void SummaryPlain(const std::string& caption, const std::string& text) = 0;
    virtual void SummaryNote(const std::string& caption, const std::string& text) = 0;
    virtual void SummaryWarn(const std::string& caption, const std::string& text) = 0;
    // An intermediate progress line of a table's copy: rows handled so far
    // of the table's total (-1: not counted). A plain green line by default.
    virtual void LogProgress(const std::string& caption, const std::string& text, const std::string& /*table*/,
                             std::int64_t /*done*/, std::int64_t /*total*/) {
        LogOk(caption, text);
    }
    virtual bool StopFlag() const = 0;
    virtual void ProcessEvents() = 0;
};

}  // namespace dravik::frames
