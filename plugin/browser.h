#pragma once
// The browsing side of one control: the search for one service type, the list of the services
// found in the order found (an entry per report, equal entries included), the resolution of each
// as it comes, and the Found, Removed and Resolved events with the index of the first equal entry.
#include "framework/plugin_interface.h"
#include "plugin/link.h"
#include "plugin/logic.h"

#include <avahi-client/lookup.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bonjour {

using IndexRaiser = void (*)(PluginInstance* instance, std::int32_t index);

// What the accessors read of one entry.
struct FoundService {
    ServiceKey key;
    bool resolved = false;  // name, host name and addresses are known
    std::string name, hostName;
    std::vector<Bytes> addresses;
    bool hasTxt = false;
    Bytes txt;
};

class Browser {
public:
    Browser(PluginInstance* instance, IndexRaiser found, IndexRaiser removed, IndexRaiser resolved);
    ~Browser();
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
    // Whether the daemon answers (a first use connects).
    bool Available();

    static constexpr int kResolveMs = 5000;
    // A network that reports more services than this gets the first ones listed only.
    static constexpr std::size_t kMaxServices = 512;

private:
    struct Entry;
    static void OnBrowse(AvahiServiceBrowser* b, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                         const char* name, const char* type, const char* domain, AvahiLookupResultFlags flags, void* self);
    static void OnResolve(AvahiServiceResolver* r, AvahiIfIndex interface, AvahiProtocol protocol, AvahiResolverEvent event,
                          const char* name, const char* type, const char* domain, const char* hostName, const AvahiAddress* a,
                          std::uint16_t port, AvahiStringList* txt, AvahiLookupResultFlags flags, void* entry);
    void LinkChanged();
    void Open();
    void Found(AvahiIfIndex interface, AvahiProtocol protocol, ServiceKey key);
    // Takes its own key: every entry equal to it is erased, the one it may come from included.
    void Removed(ServiceKey key);
    void Resolved(Entry& e, const char* name, const char* hostName, const AvahiAddress* a, std::uint16_t port, AvahiStringList* txt);
    std::int32_t IndexOf(const ServiceKey& key) const;
    void Raise(IndexRaiser raiser, std::int32_t index);

    PluginInstance* instance_;
    IndexRaiser found_, removed_, resolved_;
    std::string type_;
    bool browsing_ = false;
    bool connected_ = false;
    AvahiServiceBrowser* browser_ = nullptr;
    std::vector<std::unique_ptr<Entry>> services_;
    Link link_;
    // Expires when the browser goes: events raised to the program may destroy it.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace bonjour
