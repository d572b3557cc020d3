#include "platform/pdx/format/picture.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/pdx/format/name_case.h"
#include "platform/pdx/format/types.h"

namespace pdx {

struct Picture::Item {
    enum Kind { Sequence, Choice, Optional, Repeat, Slot, Constant } kind = Sequence;
    char32_t ch = 0;  // Slot: its picture character; Constant: the character
    int count = -1;   // Repeat: times, -1 for any number
    std::vector<Item> items;
};

namespace {

using Item = Picture::Item;

bool isSlot(char32_t c) { return c == '#' || c == '?' || c == '&' || c == '~' || c == '@' || c == '!'; }

class Parser {
public:
    Parser(std::u32string text, const std::string& shown) : s_(std::move(text)), shown_(shown) {}

    Item whole() {
        Item root = sequence(false);
        if (i_ < s_.size()) fail("a closing bracket has no opening one");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw Error("The picture " + shown_ + " is not well formed: " + why + ".");
    }

    // Items up to the end, or inside a group up to its ',' or closing bracket.
    Item sequence(bool inGroup) {
        Item seq{Item::Sequence};
        while (i_ < s_.size()) {
            const char32_t c = s_[i_];
            if (c == ']' || c == '}' || (inGroup && c == ',')) break;
            seq.items.push_back(item());
        }
        return seq;
    }

    Item group(char32_t close) {
        Item choice{Item::Choice};
        for (;;) {
            choice.items.push_back(sequence(true));
            if (i_ >= s_.size()) fail("a bracket is not closed");
            const char32_t c = s_[i_++];
            if (c == close) return choice;
            if (c != ',') fail("brackets are crossed");
        }
    }

    Item item() {
        const char32_t c = s_[i_++];
        if (c == '[') return {Item::Optional, 0, -1, {group(']')}};
        if (c == '{') return group('}');
        if (c == '*') return repeat();
        if (c == ';') {
            if (i_ >= s_.size()) fail("it ends with ';'");
            return {Item::Constant, s_[i_++]};
        }
        return {isSlot(c) ? Item::Slot : Item::Constant, c};
    }

    Item repeat() {
        int count = -1;
        for (; i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9'; ++i_)
            count = std::min((count < 0 ? 0 : count) * 10 + static_cast<int>(s_[i_] - '0'), 255);
        if (i_ >= s_.size() || s_[i_] == ']' || s_[i_] == '}' || s_[i_] == ',') fail("'*' repeats nothing");
        return {Item::Repeat, 0, count, {item()}};
    }

    std::u32string s_;
    const std::string& shown_;
    std::size_t i_ = 0;
};

// Depth-first search for the ways the text fits, each item passing the rest of the match on to
// what follows it. A step budget bounds the time (repeats nested in choices could otherwise take
// exponential time on an unlucky text) and a depth budget the stack (each character matched goes
// a few calls deeper).
class Matcher {
public:
    using Next = std::function<bool(std::size_t)>;
    // filling: constants left out of the text may be filled in.
    Matcher(const std::u32string& text, const std::string& picture, bool filling)
        : t_(text), picture_(picture), filling_(filling) {}

    // Every distinct text the picture makes of the typed one, up to two (two means: ambiguous).
    std::vector<std::u32string> run(const Item& root) {
        match(root, 0, [&](std::size_t p) {
            if (p == t_.size() && std::find(found_.begin(), found_.end(), out_) == found_.end()) found_.push_back(out_);
            // As typed, the first way decides; filled in, look on for a second way.
            return !found_.empty() && (!filling_ || found_.size() >= 2);
        });
        return found_;
    }

private:
    static constexpr int kStepBudget = 200000;
    static constexpr int kDepthBudget = 4000;

    struct Deeper {
        explicit Deeper(int& depth) : depth_(++depth) {}
        ~Deeper() { --depth_; }
        int& depth_;
    };

    bool match(const Item& it, std::size_t p, const Next& next) {
        if (++steps_ > kStepBudget || depth_ >= kDepthBudget)
            throw Error("The picture " + picture_ + " is too intricate to check this value against.");
        const Deeper deeper(depth_);
        const std::size_t mark = out_.size();
        bool ok = false;
        switch (it.kind) {
            case Item::Sequence: ok = sequence(it, 0, p, next); break;
            case Item::Choice:
                for (const Item& alt : it.items) {
                    if ((ok = match(alt, p, next))) break;
                    out_.resize(mark);
                }
                break;
            case Item::Optional: ok = match(it.items[0], p, next) || (out_.resize(mark), next(p)); break;
            case Item::Repeat:
                ok = it.count < 0 ? anyTimes(it.items[0], p, next) : times(it.items[0], it.count, p, next);
                break;
            case Item::Slot: ok = slot(it.ch, p, next); break;
            case Item::Constant: ok = constant(it.ch, p, next); break;
        }
        if (!ok) out_.resize(mark);
        return ok;
    }

    bool sequence(const Item& seq, std::size_t i, std::size_t p, const Next& next) {
        if (i == seq.items.size()) return next(p);
        return match(seq.items[i], p, [&](std::size_t q) { return sequence(seq, i + 1, q, next); });
    }

    bool times(const Item& it, int n, std::size_t p, const Next& next) {
        if (n == 0) return next(p);
        return match(it, p, [&](std::size_t q) { return times(it, n - 1, q, next); });
    }

    // As many as fit, then fewer; each repeat must take a character, or it would repeat forever.
    bool anyTimes(const Item& it, std::size_t p, const Next& next) {
        const std::size_t mark = out_.size();
        if (match(it, p, [&](std::size_t q) { return q > p && anyTimes(it, q, next); })) return true;
        out_.resize(mark);
        return next(p);
    }

    bool slot(char32_t kind, std::size_t p, const Next& next) {
        if (p >= t_.size()) return false;
        const char32_t c = t_[p];
        const bool letter = isLetter(c);
        char32_t stored = c;
        switch (kind) {
            case '#':
                if (c < '0' || c > '9') return false;
                break;
            case '?':
                if (!letter) return false;
                break;
            case '&':
                if (!letter) return false;
                stored = upperCharacter(c);
                break;
            case '~':
                if (!letter) return false;
                stored = lowerCharacter(c);
                break;
            case '!': stored = upperCharacter(c); break;
            default: break;  // '@'
        }
        out_ += stored;
        return next(p + 1);
    }

    // A constant is typed as it stands (letters in either case), or, when filling, left out and
    // filled in.
    bool constant(char32_t c, std::size_t p, const Next& next) {
        const std::size_t mark = out_.size();
        out_ += c;
        if (p < t_.size() && upperCharacter(t_[p]) == upperCharacter(c) && next(p + 1)) return true;
        out_.resize(mark + 1);
        return filling_ && next(p);
    }

    const std::u32string& t_;
    const std::string& picture_;
    const bool filling_;
    std::u32string out_;
    std::vector<std::u32string> found_;
    int steps_ = 0;
    int depth_ = 0;
};

}  // namespace

Picture::Picture(std::string_view utf8)
    : text_(utf8), root_(std::make_unique<Item>(Parser(charactersOf(utf8), text_).whole())) {}

Picture::~Picture() = default;

// The text as typed first; only when it does not fit so are constants filled in, and then only
// where that gives one text (in {Jun,Jul}, "Ju" could be either).
std::optional<std::string> Picture::fit(std::string_view utf8) const {
    const std::u32string text = charactersOf(utf8);
    if (text.size() > kLongestText) throw Error("The value is too long to check against the picture " + text_ + ".");
    for (const bool filling : {false, true}) {
        const auto ways = Matcher(text, text_, filling).run(*root_);
        if (ways.size() == 1) return utf8Of(ways[0]);
        if (ways.size() > 1)
            throw Error("\"" + std::string(utf8) + "\" fits the picture " + text_ + " more than one way (\"" +
                        utf8Of(ways[0]) + "\" or \"" + utf8Of(ways[1]) + "\"): type more of it.");
    }
    return std::nullopt;
}

}  // namespace pdx
