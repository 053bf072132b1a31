#include "app/wizard/window_loss.h"

#include <QByteArray>

#include <cstdint>

namespace dravik::wizard {

namespace {

// The X protocol's DestroyNotify event as XCB hands it over (xcb_destroy_notify_event_t):
// the event's code in the low seven bits of the first byte, then the window
// the event was reported on and the window destroyed.
struct DestroyNotify {
    std::uint8_t responseType;
    std::uint8_t pad;
    std::uint16_t sequence;
    std::uint32_t event;
    std::uint32_t window;
};
constexpr std::uint8_t kDestroyNotify = 17;

}  // namespace

bool WindowLossFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (lost_ || eventType != QByteArrayLiteral("xcb_generic_event_t") || !message) return false;
    const auto* event = static_cast<const DestroyNotify*>(message);
    if ((event->responseType & 0x7f) != kDestroyNotify || event->window != window_) return false;
    lost_ = true;
    onLost_();
    return false;
}

}  // namespace dravik::wizard
