// Advisory locks that keep writers and readers of one table apart, across processes and over
// network file systems that honour POSIX locks. They live in a hidden file ".vts-lock" in the
// table's folder, one byte range per table name, so the folder gains one file, not one a table.
#pragma once
#include <chrono>
#include <filesystem>
#include <string>

namespace pdx {

class FamilyLock {
public:
    // Writer: held by one replacement (or recovery) of the table from start to end.
    // Files: exclusive while the table's files are being renamed, shared while a reader opens them.
    enum class Kind { Writer, Files };
    enum class Mode { Shared, Exclusive };

    // Waits up to `wait` for the lock; throws pdx::Error saying the table is busy. An exclusive
    // lock makes the lock file where it is missing, and is never skipped. A shared lock never
    // makes it (a reader leaves no trace in a folder), so where the file is missing or cannot be
    // opened (a read-only folder) it holds nothing: see writerBegan().
    FamilyLock(const std::filesystem::path& dir, const std::string& table, Kind kind, Mode mode,
               std::chrono::milliseconds wait);
    // Like the above, but gives up at once and quietly when the lock is taken: held() tells.
    static FamilyLock tryTake(const std::filesystem::path& dir, const std::string& table, Kind kind, Mode mode);
    ~FamilyLock();
    FamilyLock(FamilyLock&& other) noexcept;
    FamilyLock& operator=(FamilyLock&& other) noexcept;
    FamilyLock(const FamilyLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // Whether the folder has a lock file (or it cannot be told). Every writer makes it before it
    // renames anything, so a reader that took its shared lock where there was none, and still
    // finds none once its files are open, opened one generation of them; otherwise it opens
    // them again under a lock that holds.
    static bool fileExists(const std::filesystem::path& dir);

private:
    FamilyLock() = default;
    bool take(const std::filesystem::path& dir, const std::string& table, Kind kind, Mode mode,
              std::chrono::milliseconds wait);
    int fd_ = -1;
};

}  // namespace pdx
