// What a frame needs from the wizard it is linked to: the six log writers
// and the end of a failed job,
// the stop flag, and letting pending window events run.
#pragma once

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
    virtual bool StopFlag() const = 0;
    virtual void ProcessEvents() = 0;
};

}  // namespace dravik::frames
