#include "plugin/browser.h"

#include <avahi-common/address.h>

#include <algorithm>
#include <cstring>

namespace bonjour {

// One entry of the list with its resolution. Freeing the entry frees its resolver, so no
// resolution ever reaches a freed entry.
struct Browser::Entry {
    explicit Entry(Browser& b) : owner(b) {}
    ~Entry() { Unresolve(); }
    void Unresolve() {
        if (resolver) avahi_service_resolver_free(resolver);
        resolver = nullptr;
        deadline.After(-1, nullptr);
    }

    Browser& owner;
    FoundService service;
    AvahiServiceResolver* resolver = nullptr;
    Later deadline;
};

Browser::Browser(PluginInstance* instance, IndexRaiser found, IndexRaiser removed, IndexRaiser resolved)
    : instance_(instance), found_(found), removed_(removed), resolved_(resolved), link_([this] { LinkChanged(); }) {}

// The entries (and their resolvers) go before the browser, the browser before the connection.
Browser::~Browser() {
    alive_.reset();
    services_.clear();
    if (browser_) avahi_service_browser_free(browser_);
    browser_ = nullptr;
}

void Browser::Start(const std::string& type) {
    Stop();
    type_ = type;
    browsing_ = true;
    link_.Ensure(true);
    if (!browser_ && link_.Connected()) Open();
}

void Browser::Stop() {
    browsing_ = false;
    if (browser_) avahi_service_browser_free(browser_);
    browser_ = nullptr;
    services_.clear();
}

void Browser::Clean() { services_.clear(); }

std::int32_t Browser::Count() const { return std::int32_t(services_.size()); }

const FoundService* Browser::Get(std::int32_t i) const {
    return i >= 0 && std::size_t(i) < services_.size() ? &services_[std::size_t(i)]->service : nullptr;
}

bool Browser::Available() {
    link_.Ensure(false);
    return link_.Connected() != nullptr;
}

void Browser::Open() {
    // Over IPv4 only, on every interface, in the daemon's default domain: the program joins over
    // IPv4, and a dual-stack daemon reports each service once per protocol, where the report over
    // IPv6 resolves to nothing when A records are not published over IPv6 (the default).
    browser_ = avahi_service_browser_new(link_.Connected(), AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, type_.c_str(), nullptr,
                                         AvahiLookupFlags(0), OnBrowse, this);
}

void Browser::LinkChanged() {
    const bool now = link_.Connected() != nullptr;
    if (now == connected_) return;
    connected_ = now;
    if (now) {
        if (browsing_ && !browser_) Open();
        return;
    }
    // The daemon went away: what it had found is gone with it. The objects made on the old
    // client are freed (the client no longer talks to the daemon), then every service found is
    // reported removed, as the daemon would have; the search starts again when it comes back.
    if (browser_) avahi_service_browser_free(browser_);
    browser_ = nullptr;
    for (auto& e : services_) e->Unresolve();
    std::weak_ptr<char> alive = alive_;
    while (!services_.empty()) {
        // A copy: the entry it comes from is erased while the key is still compared.
        Removed(ServiceKey(services_.front()->service.key));
        if (alive.expired()) return;
    }
}

std::int32_t Browser::IndexOf(const ServiceKey& key) const {
    std::vector<const ServiceKey*> keys;
    keys.reserve(services_.size());
    for (const auto& e : services_) keys.push_back(&e->service.key);
    return FirstIndex(keys, key);
}

void Browser::Raise(IndexRaiser raiser, std::int32_t index) {
    if (raiser) raiser(instance_, index);
}

void Browser::OnBrowse(AvahiServiceBrowser* b, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                       const char* name, const char* type, const char* domain, AvahiLookupResultFlags, void* self) {
    auto* browser = static_cast<Browser*>(self);
    if (browser->browser_ != b) return;
    try {
        switch (event) {
            case AVAHI_BROWSER_NEW:
                browser->Found(interface, protocol, ServiceKey{name ? name : "", type ? type : "", domain ? domain : ""});
                break;
            case AVAHI_BROWSER_REMOVE:
                browser->Removed(ServiceKey{name ? name : "", type ? type : "", domain ? domain : ""});
                break;
            case AVAHI_BROWSER_FAILURE:
                // A search that fails is not reported: the list stays as it is.
                avahi_service_browser_free(b);
                browser->browser_ = nullptr;
                break;
            default:
                break;
        }
    } catch (...) {
        // Out of memory while growing the list: the report is lost, nothing else.
    }
}

void Browser::Found(AvahiIfIndex interface, AvahiProtocol protocol, ServiceKey key) {
    if (services_.size() >= kMaxServices) return;
    auto entry = std::make_unique<Entry>(*this);
    entry->service.key = std::move(key);
    Entry& e = *entry;
    services_.push_back(std::move(entry));
    // Resolved to an IPv4 address, so that the address can be dialled; given up after 5.0 s.
    e.resolver = avahi_service_resolver_new(link_.Connected(), interface, protocol, e.service.key.name.c_str(),
                                            e.service.key.type.c_str(), e.service.key.domain.c_str(), AVAHI_PROTO_INET,
                                            AvahiLookupFlags(0), OnResolve, &e);
    if (e.resolver) e.deadline.After(kResolveMs, [pe = &e] { pe->Unresolve(); });
    Raise(found_, IndexOf(e.service.key));
}

void Browser::Removed(ServiceKey key) {
    std::weak_ptr<char> alive = alive_;
    Raise(removed_, IndexOf(key));
    if (alive.expired()) return;
    std::erase_if(services_, [&](const std::unique_ptr<Entry>& e) { return e->service.key == key; });
}

void Browser::OnResolve(AvahiServiceResolver* r, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event, const char* name,
                        const char*, const char*, const char* hostName, const AvahiAddress* a, std::uint16_t port,
                        AvahiStringList* txt, AvahiLookupResultFlags, void* entry) {
    auto* e = static_cast<Entry*>(entry);
    if (e->resolver != r) return;
    try {
        if (event == AVAHI_RESOLVER_FOUND) {
            e->owner.Resolved(*e, name, hostName, a, port, txt);
        } else {
            // Not reported: the entry stays unresolved.
            e->Unresolve();
        }
    } catch (...) {
    }
}

void Browser::Resolved(Entry& e, const char* name, const char* hostName, const AvahiAddress* a, std::uint16_t port, AvahiStringList* txt) {
    FoundService& s = e.service;
    s.resolved = true;
    s.name = name ? name : "";
    s.hostName = hostName ? hostName : "";
    s.addresses.clear();
    if (a && a->proto == AVAHI_PROTO_INET)
        s.addresses.push_back(Ipv4Record(reinterpret_cast<const unsigned char*>(&a->data.ipv4.address), port));
    else if (a && a->proto == AVAHI_PROTO_INET6)
        s.addresses.push_back(Ipv6Record(a->data.ipv6.address, port));
    s.hasTxt = txt != nullptr;
    s.txt.clear();
    // A resolved record lists its strings from the first (unlike a list made to be published),
    // so it is written out in list order rather than through avahi_string_list_serialize.
    for (AvahiStringList* l = txt; l; l = avahi_string_list_get_next(l)) {
        const std::size_t n = std::min<std::size_t>(avahi_string_list_get_size(l), 255);
        const std::uint8_t* text = avahi_string_list_get_text(l);
        s.txt.push_back(static_cast<unsigned char>(n));
        s.txt.insert(s.txt.end(), text, text + n);
    }
    Raise(resolved_, IndexOf(s.key));
}

}  // namespace bonjour
