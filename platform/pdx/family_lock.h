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

    // Waits up to `wait` for the lock; throws pdx::Error saying the table is busy. Where the lock
    // file can be neither created nor opened (a read-only folder), a shared lock is skipped: no
    // one can replace files there either. An exclusive lock is never skipped.
    FamilyLock(const std::filesystem::path& dir, const std::string& table, Kind kind, Mode mode,
               std::chrono::milliseconds wait);
    // Like the above, but gives up at once and quietly when the lock is taken: held() tells.
    static FamilyLock tryTake(const std::filesystem::path& dir, const std::string& table, Kind kind, Mode mode);
    ~FamilyLock();
    FamilyLock(FamilyLock&& other) noexcept;
    FamilyLock& operator=(FamilyLock&&) = delete;
    FamilyLock(const FamilyLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    FamilyLock() = default;
    bool take(const std::filesystem::path& dir, const std::string& table, Kind kind, Mode mode,
              std::chrono::milliseconds wait);
    int fd_ = -1;
};

}  // namespace pdx
