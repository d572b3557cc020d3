#include "platform/shell/progress.h"

namespace vts {

Throttle::Throttle(std::chrono::steady_clock::duration interval, unsigned checkEvery)
    : interval_(interval), last_(std::chrono::steady_clock::now()), checkEvery_(checkEvery ? checkEvery : 1) {}

bool Throttle::due() {
    if (calls_++ % checkEvery_ != 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval_) return false;
    last_ = now;
    return true;
}

UiThrottle::UiThrottle(std::function<void()> yield, std::chrono::steady_clock::duration interval)
    : yield_(std::move(yield)), throttle_(interval) {}

}  // namespace vts
