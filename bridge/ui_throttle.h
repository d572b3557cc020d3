// Rate limits for long loops: yielding to the user interface per value would cost more than the
// work itself, so a call passes through only when a few milliseconds have gone by.
#pragma once
#include <chrono>
#include <functional>

namespace vts {

// due() is true at most once per interval; the clock is read only every checkEvery calls.
class Throttle {
public:
    explicit Throttle(std::chrono::steady_clock::duration interval, unsigned checkEvery = 256);
    bool due();

private:
    std::chrono::steady_clock::duration interval_;
    std::chrono::steady_clock::time_point last_;
    unsigned checkEvery_;
    unsigned calls_ = 0;
};

// Yields to the user interface through a Throttle.
class UiThrottle {
public:
    explicit UiThrottle(std::function<void()> yield,
                        std::chrono::steady_clock::duration interval = std::chrono::milliseconds(5));
    void operator()() {
        if (throttle_.due() && yield_) yield_();
    }

private:
    std::function<void()> yield_;
    Throttle throttle_;
};

}  // namespace vts
