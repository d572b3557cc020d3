// The exception every layer throws: its what() is the description the error report shows.
#pragma once
#include <stdexcept>
#include <string>

namespace vts {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write-back found the Paradox table saved by someone else since its import: nothing was
// written, the edits are where they were.
class TableChanged : public Error {
public:
    using Error::Error;
};

}  // namespace vts
