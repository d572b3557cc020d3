// The installed printer queues and the per-user default printer, behind one interface so that
// tests can stand in a printer list of their own.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/shell/errors.h"

namespace vts {

struct PrinterQueue {
    std::string name;         // the queue name: no blanks, unique on the machine
    std::string description;  // free text the administrator gave the queue; may be empty
};

// The name users know a queue by: its description when it has one, else its queue name.
inline std::string DeviceName(const PrinterQueue& queue) {
    return queue.description.empty() ? queue.name : queue.description;
}

// A default printer as the user chose it: a queue, or one of its instances (a named set of
// options on that queue, "office/duplex"). Two queues may share a description, so a choice
// is kept by queue name, never by DeviceName.
struct PrinterChoice {
    std::string queue;
    std::string instance;  // "" for the queue itself
    bool operator==(const PrinterChoice&) const = default;
};

// "queue" or "queue/instance", as lpoptions and lpstat write it.
inline std::string ChoiceName(const PrinterChoice& choice) {
    return choice.instance.empty() ? choice.queue : choice.queue + "/" + choice.instance;
}

// Thrown when the printing system itself cannot be reached (no print server running), as
// opposed to a server that answers but has no default or no such queue.
class PrintServerUnreachable : public Error {
public:
    using Error::Error;
};

class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;
    // Every installed queue; empty when the printing system cannot be reached.
    virtual std::vector<PrinterQueue> queues() = 0;
    // The queue the user's programs print to when they name none, whether the user chose it or
    // it is the system's default; nullopt when there is none. Throws PrintServerUnreachable
    // when that cannot be known because the print server is not there.
    virtual std::optional<PrinterQueue> defaultQueue() = 0;
    // The default the user chose for themselves; nullopt when they have none of their own
    // (the system's default, if any, applies to them).
    virtual std::optional<PrinterChoice> ownDefault() = 0;
    // Makes the queue (or instance) the user's own default. Throws vts::Error when it cannot.
    virtual void setOwnDefault(const PrinterChoice& choice) = 0;
    // Leaves the user with no default of their own. Throws vts::Error when it cannot.
    virtual void clearOwnDefault() = 0;
    // The folder the PDF printer writes its files into, when known.
    virtual std::optional<std::string> pdfFolder() { return std::nullopt; }
    // Jobs of the queue not yet done (0 when that cannot be known).
    virtual int activeJobs(const std::string& /*queue*/) { return 0; }
};

}  // namespace vts
