// A window's mouse pointer as the handlers set it: 0 arrow, 11 hourglass, 99 hand.
#pragma once

namespace vts {

namespace pointer {
constexpr int Default = 0;
constexpr int Hourglass = 11;
constexpr int Hand = 99;
}  // namespace pointer

class PointerHost {
public:
    virtual ~PointerHost() = default;
    virtual int mousePointer() const = 0;
    virtual void setMousePointer(int value) = 0;
};

// Sets the hourglass for the length of a scope and the arrow after it.
class HourglassScope {
public:
    explicit HourglassScope(PointerHost& host) : host_(host) { host_.setMousePointer(pointer::Hourglass); }
    ~HourglassScope() { host_.setMousePointer(pointer::Default); }
    HourglassScope(const HourglassScope&) = delete;
    HourglassScope& operator=(const HourglassScope&) = delete;

private:
    PointerHost& host_;
};

}  // namespace vts
