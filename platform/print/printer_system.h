// The installed printer queues and the per-user default printer, behind one interface so that
// tests can stand in a printer list of their own.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vts {

struct PrinterQueue {
    std::string name;         // the queue name: no blanks, unique on the machine
    std::string description;  // free text the administrator gave the queue; may be empty
};

// The name users know a queue by: its description when it has one, else its queue name.
inline std::string DeviceName(const PrinterQueue& queue) {
    return queue.description.empty() ? queue.name : queue.description;
}

class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;
    // Every installed queue; empty when the printing system cannot be reached.
    virtual std::vector<PrinterQueue> queues() = 0;
    // The queue the user's programs print to when they name none; nullopt when none is set.
    virtual std::optional<PrinterQueue> defaultQueue() = 0;
    // Makes the named queue the per-user default. Throws vts::Error when it cannot.
    virtual void setDefaultQueue(const std::string& queueName) = 0;
    // Leaves the user with no default of their own. Throws vts::Error when it cannot.
    virtual void clearDefaultQueue() = 0;
};

}  // namespace vts
