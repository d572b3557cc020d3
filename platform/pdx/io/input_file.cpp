// POSIX implementation of InputFile.
#include "platform/pdx/io/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/protect/table_cipher.h"
#include "platform/pdx/format/types.h"

namespace pdx {

InputFile::InputFile(const std::filesystem::path& file) : path_(file) {
    // O_NONBLOCK keeps a FIFO or device named like a table from blocking the open.
    fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) throw Error(file.string() + ": cannot open: " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw Error(file.string() + ": not a regular file");
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

InputFile::InputFile(InputFile&& other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::exchange(other.fd_, -1)),
      size_(other.size_),
      key_(other.key_),
      kind_(other.kind_),
      headerSize_(other.headerSize_),
      blockSize_(other.blockSize_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        key_ = other.key_;
        kind_ = other.kind_;
        headerSize_ = other.headerSize_;
        blockSize_ = other.blockSize_;
    }
    return *this;
}

void InputFile::unscramble(std::uint32_t key, Scrambled kind) {
    if (kind == Scrambled::Blocks) {
        std::uint8_t head[6] = {};
        if (readPlain(0, head, sizeof head) != sizeof head || head[5] == 0)
            throw Error(path_.string() + ": the header gives no block size");
        headerSize_ = loadLE16(head + 2);
        blockSize_ = std::uint64_t{head[5]} * 1024;
    }
    key_ = key;
    kind_ = kind;
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buf, std::size_t len) const {
    return key_ ? readUnscrambled(offset, buf, len) : readPlain(offset, buf, len);
}

// A .MB is unscrambled in any run of whole 256-byte pieces; a block only as a whole.
InputFile::Piece InputFile::pieceAt(std::uint64_t offset) const {
    constexpr std::uint64_t kBlobRun = 64 * 1024;
    if (kind_ == Scrambled::Blob) return {offset / kBlobRun * kBlobRun, kBlobRun, 0};
    if (offset < headerSize_) return {0, headerSize_, 0};
    const std::uint64_t index = (offset - headerSize_) / blockSize_;
    return {headerSize_ + index * blockSize_, blockSize_, static_cast<std::uint32_t>(index + 1)};
}

std::size_t InputFile::readUnscrambled(std::uint64_t offset, void* buf, std::size_t len) const {
    auto* out = static_cast<std::uint8_t*>(buf);
    std::size_t done = 0;
    while (done < len) {
        const std::uint64_t at = offset + done;
        const Piece p = pieceAt(at);
        scratch_.resize(static_cast<std::size_t>(p.size));
        std::size_t got = readPlain(p.start, scratch_.data(), scratch_.size());
        const bool plain = kind_ == Scrambled::Blocks && p.block == 0;
        if (!plain) {
            got = got / 256 * 256;
            if (kind_ == Scrambled::Blob) decryptMbBytes({scratch_.data(), got}, key_);
            else if (got) decryptBlock({scratch_.data(), got}, key_, p.block);
        }
        if (at - p.start >= got) break;
        const std::size_t n = std::min<std::size_t>(len - done, got - static_cast<std::size_t>(at - p.start));
        std::memcpy(out + done, scratch_.data() + (at - p.start), n);
        done += n;
        if (got < p.size) break;
    }
    return done;
}

std::size_t InputFile::readPlain(std::uint64_t offset, void* buf, std::size_t len) const {
    auto* out = static_cast<char*>(buf);
    std::size_t done = 0;
    while (done < len) {
        const ssize_t n = ::pread(fd_, out + done, len - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw Error(path_.string() + ": read error: " + std::strerror(errno));
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

}  // namespace pdx
