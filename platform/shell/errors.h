// The exception every layer throws: its what() is the description the error report shows.
#pragma once
#include <stdexcept>
#include <string>

namespace vts {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vts
