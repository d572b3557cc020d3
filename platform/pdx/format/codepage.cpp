// iconv-backed CodePage: a byte table for single-byte code pages, iconv for multibyte ones.
#include "platform/pdx/format/codepage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// A byte a single-byte code page leaves undefined stands for itself as U+F700 + byte, a private
// use character, in UTF-8 EF 9C..9F xx: the text can be shown, edited around and written back
// to the very same byte.
constexpr char32_t kByteMarkBase = 0xF700;

std::array<char, 4> byteMark(int b) {
    const char32_t cp = kByteMarkBase + static_cast<char32_t>(b);
    return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
            static_cast<char>(0x80 | (cp & 0x3F)), 0};
}

// One iconv conversion direction, opened on first use.
class IconvHandle {
public:
    IconvHandle() = default;
    ~IconvHandle() { close(); }
    IconvHandle(IconvHandle&& o) noexcept : cd_(o.cd_) { o.cd_ = invalid(); }
    IconvHandle& operator=(IconvHandle&& o) noexcept {
        if (this != &o) {
            close();
            cd_ = o.cd_;
            o.cd_ = invalid();
        }
        return *this;
    }
    bool open(const char* to, const char* from) {
        close();
        cd_ = ::iconv_open(to, from);
        return valid();
    }
    bool valid() const { return cd_ != invalid(); }
    iconv_t get() const { return cd_; }
    void reset() const { ::iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    void close() {
        if (valid()) ::iconv_close(cd_);
        cd_ = invalid();
    }
    iconv_t cd_ = invalid();
};

bool allAscii(const char* p, std::size_t n) {
    std::uint64_t acc = 0;
    for (; n >= 8; n -= 8, p += 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        acc |= w;
    }
    for (; n > 0; --n) acc |= static_cast<unsigned char>(*p++);
    return (acc & 0x8080808080808080ull) == 0;
}

// Code point of the UTF-8 sequence at s[i], or nullopt when it is not valid UTF-8.
std::optional<char32_t> codePointAt(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return std::nullopt;
    char32_t cp = len == 1 ? b0 : (b0 & (0x7F >> len));
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (b & 0x3F);
    }
    return cp;
}

}  // namespace

std::string iconvNameFor(int codePage, std::string_view sortOrderId) {
    if (codePage == 0) {
        const bool roman8 =
            sortOrderId.size() >= 6 && (sortOrderId.substr(0, 6) == "BLROM8" || sortOrderId.substr(0, 6) == "blrom8");
        return roman8 ? "HP-ROMAN8" : "CP" + std::to_string(kDefaultDosCodePage);
    }
    return "CP" + std::to_string(codePage);
}

struct CodePage::Impl {
    int number = 0;
    std::string name;
    IconvHandle toUtf8;
    IconvHandle fromUtf8;
    bool prepared = false;
    bool supported = false;
    bool asciiIdentity = false;
    bool singleByte = false;
    std::array<std::array<char, 4>, 256> table{};  // single-byte code pages: UTF-8 of each byte
    std::array<std::uint8_t, 256> tableLen{};
    std::array<bool, 256> undefinedByte{};  // single-byte code pages: decoded as its byte mark

    void prepare();
    void buildTable();
    void decodeMultibyte(const char* data, std::size_t len, std::string& out);
    std::string encodeWithIconv(std::string_view utf8);
    std::optional<int> markedByte(std::string_view utf8, std::size_t at) const;
    std::string encodeWithByteMarks(std::string_view utf8);
    [[noreturn]] void throwUnencodable(std::string_view utf8, std::size_t at) const;
};

void CodePage::Impl::prepare() {
    if (prepared) return;
    prepared = true;
    supported = toUtf8.open("UTF-8", name.c_str());
    if (!supported) return;
    buildTable();
    asciiIdentity = true;
    for (int b = 1; b < 0x80; ++b)
        if (tableLen[b] != 1 || static_cast<unsigned char>(table[b][0]) != b) asciiIdentity = false;
}

// Converts each byte alone: a byte that is only the start of a sequence marks a multibyte page.
void CodePage::Impl::buildTable() {
    singleByte = true;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char outBuf[16];
        char* inPtr = &in;
        char* outPtr = outBuf;
        std::size_t inLeft = 1, outLeft = sizeof outBuf;
        toUtf8.reset();
        const std::size_t rc = ::iconv(toUtf8.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        std::size_t produced = sizeof outBuf - outLeft;
        if (rc == static_cast<std::size_t>(-1) && errno == EINVAL) {
            singleByte = false;  // lead byte of a multibyte sequence
            continue;
        }
        if (rc == static_cast<std::size_t>(-1) || produced == 0) {
            table[b] = byteMark(b);
            tableLen[b] = 3;
            undefinedByte[b] = true;
            continue;
        }
        if (produced > 4) {
            singleByte = false;
            continue;
        }
        std::copy(outBuf, outBuf + produced, table[b].begin());
        tableLen[b] = static_cast<std::uint8_t>(produced);
    }
    toUtf8.reset();
}

void CodePage::Impl::decodeMultibyte(const char* data, std::size_t len, std::string& out) {
    out.resize(len * 3 + 16);
    char* inPtr = const_cast<char*>(data);
    std::size_t inLeft = len;
    std::size_t used = 0;
    toUtf8.reset();
    while (inLeft > 0) {
        if (out.size() - used < 16) out.resize(out.size() * 2);
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t rc = ::iconv(toUtf8.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // An undefined byte or a sequence cut short: one replacement, then go on after it.
        out.replace(used, kReplacement.size(), kReplacement);
        used += kReplacement.size();
        ++inPtr;
        --inLeft;
        toUtf8.reset();
    }
    out.resize(used);
}

std::string CodePage::Impl::encodeWithIconv(std::string_view utf8) {
    if (!fromUtf8.valid() && !fromUtf8.open(name.c_str(), "UTF-8"))
        throw Error("text cannot be converted to code page " + std::to_string(number) + " (" + name + ")");
    std::string out(utf8.size() * 2 + 16, '\0');
    char* inPtr = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    std::size_t used = 0;
    fromUtf8.reset();
    while (true) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t rc = ::iconv(fromUtf8.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (rc == static_cast<std::size_t>(-1) && errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (rc == static_cast<std::size_t>(-1)) throwUnencodable(utf8, static_cast<std::size_t>(inPtr - utf8.data()));
        // A positive count means iconv replaced something by a near match: refuse that too.
        if (rc != 0)
            throw Error("the text has characters that code page " + std::to_string(number) + " (" + name +
                        ") cannot store exactly");
        break;
    }
    // Flush any shift state of stateful encodings.
    char* outPtr = out.data() + used;
    std::size_t outLeft = out.size() - used;
    if (outLeft < 16) {
        out.resize(out.size() + 16);
        outPtr = out.data() + used;
        outLeft = out.size() - used;
    }
    ::iconv(fromUtf8.get(), nullptr, nullptr, &outPtr, &outLeft);
    out.resize(out.size() - outLeft);
    return out;
}

// The undefined byte whose mark starts at utf8[at], if one does.
std::optional<int> CodePage::Impl::markedByte(std::string_view utf8, std::size_t at) const {
    if (!singleByte || static_cast<unsigned char>(utf8[at]) != 0xEF) return std::nullopt;
    const auto cp = codePointAt(utf8, at);
    if (!cp || *cp < kByteMarkBase || *cp > kByteMarkBase + 0xFF) return std::nullopt;
    const int b = static_cast<int>(*cp - kByteMarkBase);
    return undefinedByte[b] ? std::optional<int>(b) : std::nullopt;
}

// Runs between byte marks go through iconv; each mark becomes its byte again.
std::string CodePage::Impl::encodeWithByteMarks(std::string_view utf8) {
    std::string out;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = markedByte(utf8, i);
        if (!b) {
            ++i;
            continue;
        }
        if (i > runStart) out += encodeWithIconv(utf8.substr(runStart, i - runStart));
        out += static_cast<char>(*b);
        i += 3;
        runStart = i;
    }
    if (runStart < utf8.size()) out += encodeWithIconv(utf8.substr(runStart));
    return out;
}

void CodePage::Impl::throwUnencodable(std::string_view utf8, std::size_t at) const {
    if (at >= utf8.size()) at = 0;
    const auto cp = codePointAt(utf8, at);
    if (!cp) throw Error("the text is not valid UTF-8");
    std::size_t len = 1;
    while (at + len < utf8.size() && (static_cast<unsigned char>(utf8[at + len]) & 0xC0) == 0x80) ++len;
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(*cp));
    throw Error("the character " + std::string(hex) + " \"" + std::string(utf8.substr(at, len)) +
                "\" cannot be stored in code page " + std::to_string(number) + " (" + name + ")");
}

CodePage::CodePage(int codePage, std::string_view sortOrderId) : impl_(std::make_unique<Impl>()) {
    impl_->number = codePage;
    impl_->name = iconvNameFor(codePage, sortOrderId);
}

CodePage::~CodePage() = default;
CodePage::CodePage(CodePage&&) noexcept = default;
CodePage& CodePage::operator=(CodePage&&) noexcept = default;

int CodePage::number() const { return impl_->number; }
const std::string& CodePage::iconvName() const { return impl_->name; }

bool CodePage::asciiIsPlain() {
    impl_->prepare();
    return impl_->asciiIdentity || !impl_->supported;
}

void CodePage::decode(const char* data, std::size_t len, std::string& out) {
    Impl& d = *impl_;
    d.prepare();
    if (allAscii(data, len) && (d.asciiIdentity || !d.supported)) {
        out.assign(data, len);
        return;
    }
    if (!d.supported)
        throw Error("text in code page " + std::to_string(d.number) + " (" + d.name +
                    "), which this system cannot convert");
    if (!d.singleByte) return d.decodeMultibyte(data, len, out);
    out.clear();
    out.reserve(len * 2);
    for (std::size_t i = 0; i < len; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out.append(d.table[b].data(), d.tableLen[b]);
    }
}

std::string CodePage::decode(std::string_view bytes) {
    std::string out;
    decode(bytes.data(), bytes.size(), out);
    return out;
}

std::string CodePage::encode(std::string_view utf8) {
    Impl& d = *impl_;
    d.prepare();
    if (allAscii(utf8.data(), utf8.size()) && (d.asciiIdentity || !d.supported)) return std::string(utf8);
    if (!d.supported) {
        std::size_t at = 0;
        while (static_cast<unsigned char>(utf8[at]) < 0x80) ++at;
        d.throwUnencodable(utf8, at);
    }
    if (d.singleByte && utf8.find("\xEF") != std::string_view::npos) return d.encodeWithByteMarks(utf8);
    return d.encodeWithIconv(utf8);
}

}  // namespace pdx
