// Marks a page busy for the length of long work that processes events, and disables its
// buttons meanwhile, so that a second click cannot start the same work again.
#pragma once
#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <vector>

namespace vts {

class BusyScope {
public:
    BusyScope(bool& flag, std::initializer_list<QWidget*> controls) : flag_(flag) {
        flag_ = true;
        for (QWidget* w : controls) {
            controls_.emplace_back(w);
            w->setEnabled(false);
        }
    }
    ~BusyScope() {
        flag_ = false;
        for (const auto& w : controls_)
            if (w) w->setEnabled(true);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
    std::vector<QPointer<QWidget>> controls_;
};

}  // namespace vts
