// Progress of long work (rows done of rows total) and the rate limits of long loops: yielding to
// the user interface or reporting per row would cost more than the work itself, so a call passes
// through only when a few milliseconds have gone by.
#pragma once
#include <chrono>
#include <functional>
#include <utility>

namespace vts {

// Called now and then with the rows done so far and the rows to do.
using Progress = std::function<void(long done, long total)>;

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

// Reports rows done of rows total at most every 50 ms, and once at the end.
class ProgressThrottle {
public:
    // The callback is kept by value: a lambda passed here is a temporary std::function.
    ProgressThrottle(Progress progress, long total)
        : progress_(std::move(progress)), total_(total), throttle_(std::chrono::milliseconds(50), 64) {}
    void operator()(long done) {
        if (progress_ && throttle_.due()) progress_(done, total_);
    }
    void finish(long done) {
        if (progress_) progress_(done, total_);
    }

private:
    Progress progress_;
    long total_;
    Throttle throttle_;
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
