// The message of the error a piece of code throws, for tests that look into what it says.
#pragma once
#include <string>

#include "platform/shell/errors.h"

namespace vts::test {

// The description of the vts::Error that f throws, or "" when it throws none.
template <class F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

}  // namespace vts::test
