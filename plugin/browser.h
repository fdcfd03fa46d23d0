#pragma once
// The browsing side of one control, on the GUI thread: the list of the services found in the
// order found (an entry per report, equal entries included), and the Found, Removed and Resolved
// events with the index of the first equal entry. The search and the resolutions run on the
// plug-in's avahi thread (plugin/daemonlink.h); the list is this object's own copy, so that
// every accessor answers at once, from what has been reported, whatever the daemon is doing.
#include "framework/plugin_interface.h"
#include "plugin/daemonlink.h"
#include "plugin/logic.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bonjour {

using IndexRaiser = void (*)(PluginInstance* instance, std::int32_t index);

class Browser : public Sink {
public:
    Browser(PluginInstance* instance, IndexRaiser found, IndexRaiser removed, IndexRaiser resolved);
    ~Browser() override;
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Stops, then searches for the type in the default domain.
    void Start(const std::string& type);
    // Stops the search and empties the list, without Removed events.
    void Stop();
    // Empties the list, without Removed events; the search goes on.
    void Clean();
    std::int32_t Count() const;
    // Entry i, or null outside the list.
    const FoundService* Get(std::int32_t i) const;
    // Whether the daemon answers.
    bool Available();

    // A network that reports more services than this gets the first ones listed only.
    static constexpr std::size_t kMaxServices = 512;

private:
    struct Entry {
        std::uint64_t serial;  // the report it comes from
        FoundService service;
    };
    void Deliver(Event& e) override;
    void want(std::optional<std::string> type);
    // Takes its own key: every entry equal to it is erased, the one it may come from included.
    void removed(ServiceKey key);
    std::int32_t indexOf(const ServiceKey& key) const;
    void raise(IndexRaiser raiser, std::int32_t index);

    PluginInstance* instance_;
    IndexRaiser found_, removed_, resolved_;
    std::shared_ptr<DaemonLink> link_;
    std::uint64_t object_ = 0;
    // The search the list belongs to: each Start and Stop begins another.
    std::uint64_t generation_ = 0;
    std::vector<Entry> services_;
    // Expires when the browser goes: events raised to the program may destroy it.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace bonjour
