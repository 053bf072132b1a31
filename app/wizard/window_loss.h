// The window destroyed from outside (a window manager's or xdotool's
// "windowclose" on X11): Qt does not close it, so the job would go on in a
// process nobody sees. This filter sees the X server's DestroyNotify for
// the window and calls back, so the job stops and the program ends.
#pragma once

#include <QAbstractNativeEventFilter>

#include <functional>

namespace dravik::wizard {

class WindowLossFilter : public QAbstractNativeEventFilter {
public:
    // `window` is the native id of the top-level window watched.
    WindowLossFilter(unsigned long window, std::function<void()> onLost)
        : window_(window), onLost_(std::move(onLost)) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    unsigned long window_;
    std::function<void()> onLost_;
    bool lost_ = false;
};

}  // namespace dravik::wizard
