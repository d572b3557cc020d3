#include "bridge/edit_session.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "platform/pdx/format/fnv1a.h"

namespace vts {

std::string WorkingTableName(const std::string& folder, const std::string& name) {
    // One folder, however it is written ("a/b/", "a//b", through a link), gives one tag.
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, ec);
    if (ec) canonical = std::filesystem::path(folder).lexically_normal();
    std::string text = canonical.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    char tag[17];
    std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(pdx::fnv1a(text)));
    return name + "@" + tag;
}

EditSession::EditSession(std::string folder, std::string name, std::string working, pdx::FamilyLock lock)
    : folder_(std::move(folder)), name_(std::move(name)), working_(std::move(working)), lock_(std::move(lock)) {}

std::optional<EditSession> EditSession::claim(AppContext& ctx, const std::string& folder, const std::string& name) {
    std::string working = WorkingTableName(folder, name);
    pdx::FamilyLock lock = pdx::FamilyLock::tryTake(ctx.dataHome(), working, pdx::FamilyLock::Kind::Writer,
                                                    pdx::FamilyLock::Mode::Exclusive);
    if (!lock.held()) return std::nullopt;
    return EditSession(folder, name, std::move(working), std::move(lock));
}

}  // namespace vts
