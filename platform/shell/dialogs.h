// Message boxes and the file dialogs, behind one interface so that tests can script them.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vts {

// Message-box style flags and answers, with the values the pages are written against.
namespace mb {
constexpr int OkOnly = 0;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int DefaultButton2 = 256;  // the second button (No) is the one Enter presses
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace mb

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An empty caption means the application title. Returns mb::Ok, mb::Yes, mb::No or (for
    // YesNoCancel, also when the box is closed) mb::Cancel.
    virtual int messageBox(const std::string& text, int style, const std::string& caption) = 0;
    // The chosen folder without a trailing '/' (except "/" itself), or "" on cancel.
    virtual std::string browseForFolder(const std::string& prompt, const std::string& initialFolder) = 0;
    // Filter in the "Name (*.ext)|*.ext" form. Returns the chosen path, or "" on cancel.
    virtual std::string saveFileName(const std::string& title, const std::string& filter,
                                     const std::string& initialName) = 0;
    // A password typed into a field that never shows it; nothing on cancel.
    virtual std::optional<std::string> askPassword(const std::string& prompt, const std::string& caption) = 0;
    // messageBox with a "Do not show this again" box, ticked as optOut says; optOut then holds
    // the user's choice.
    virtual int messageBoxWithOptOut(const std::string& text, int style, const std::string& caption, bool& /*optOut*/) {
        return messageBox(text, style, caption);
    }
};

// Records every request and answers from queues; an empty queue answers Ok / cancel.
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        std::string text;
        std::string caption;  // as passed (empty = application title)
        int style = 0;
    };
    struct SaveRequest {
        std::string title, filter, initialName;
    };

    std::vector<Message> messages;
    std::vector<std::string> browsePrompts;
    std::vector<SaveRequest> saveRequests;
    std::deque<int> answers;
    std::deque<std::string> folders;
    std::deque<std::string> saveNames;
    std::vector<std::string> passwordPrompts;
    std::deque<std::optional<std::string>> passwords;
    std::deque<bool> optOuts;  // the "Do not show this again" box as left; empty: as it was shown

    int messageBox(const std::string& text, int style, const std::string& caption) override {
        messages.push_back({text, caption, style});
        if (answers.empty())
            return (style & 7) == mb::YesNo ? mb::No : (style & 7) == mb::YesNoCancel ? mb::Cancel : mb::Ok;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    int messageBoxWithOptOut(const std::string& text, int style, const std::string& caption, bool& optOut) override {
        if (!optOuts.empty()) {
            optOut = optOuts.front();
            optOuts.pop_front();
        }
        return messageBox(text, style, caption);
    }
    std::string browseForFolder(const std::string& prompt, const std::string&) override {
        browsePrompts.push_back(prompt);
        return pop(folders);
    }
    std::string saveFileName(const std::string& title, const std::string& filter,
                             const std::string& initialName) override {
        saveRequests.push_back({title, filter, initialName});
        return pop(saveNames);
    }
    std::optional<std::string> askPassword(const std::string& prompt, const std::string&) override {
        passwordPrompts.push_back(prompt);
        if (passwords.empty()) return std::nullopt;
        auto p = passwords.front();
        passwords.pop_front();
        return p;
    }

private:
    static std::string pop(std::deque<std::string>& q) {
        if (q.empty()) return {};
        std::string s = q.front();
        q.pop_front();
        return s;
    }
};

}  // namespace vts
