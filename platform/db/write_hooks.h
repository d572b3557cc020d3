// What the caller of "select ... into" may hook into the writing of the Paradox table.
#pragma once
#include <functional>

namespace db {

struct WriteHooks {
    std::function<void()> beforeWrite;          // before every disk write (tests inject I/O errors)
    std::function<void(long done)> rowWritten;  // after each row handed to the writer
};

}  // namespace db
