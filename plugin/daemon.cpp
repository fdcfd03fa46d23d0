#include "plugin/daemon.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/address.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/simple-watch.h>
#include <avahi-common/timeval.h>

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace bonjour {

namespace {

// A bus that is not there, or a search the daemon did not start (it answered nothing in time),
// is tried again this often.
constexpr int kRetryMs = 2000;
// After the connection failed, it is made anew this much later, so that a daemon that fails at
// once again does not keep the thread busy.
constexpr int kReconnectMs = 250;

// An error that may pass: the daemon did not answer in time, or the bus said something odd.
bool transient(int error) { return error == AVAHI_ERR_DBUS_ERROR || error == AVAHI_ERR_TIMEOUT || error == AVAHI_ERR_NO_MEMORY; }

class Daemon {
public:
    explicit Daemon(std::shared_ptr<Mailbox> box);
    ~Daemon();
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

    void Run();

private:
    struct Search;
    // One found report being resolved; freeing it frees its resolver, so no resolution ever
    // reaches a freed one.
    struct Resolving {
        Search& search;
        std::uint64_t serial;
        ServiceKey key;
        AvahiServiceResolver* resolver = nullptr;
        AvahiTimeout* deadline = nullptr;
    };
    struct Search {
        Daemon* d = nullptr;
        std::uint64_t object = 0, generation = 0;
        std::optional<std::string> type;  // none: no search wanted
        AvahiServiceBrowser* browser = nullptr;
        AvahiTimeout* retry = nullptr;
        std::map<std::uint64_t, std::unique_ptr<Resolving>> resolving;
    };
    struct Advert {
        Daemon* d = nullptr;
        std::uint64_t object = 0, generation = 0;
        std::optional<Announcement> want;
        AvahiEntryGroup* group = nullptr;
        std::string advertised;  // the name it goes out under, after collisions
        bool announced = false;
        int renames = 0;
    };

    // The loop.
    AvahiTimeout* after(int ms, AvahiTimeoutCallback callback, void* user);
    // Makes t fire ms from now, made anew or moved when it is there already.
    void arm(AvahiTimeout*& t, int ms, AvahiTimeoutCallback callback, void* user);
    static void OnInbox(AvahiWatch* w, int fd, AvahiWatchEvent event, void* self);
    void takeWishes();
    bool quitting();
    bool post(Event&& e);
    void answered();

    // The connection.
    void connect();
    static void OnClient(AvahiClient* c, AvahiClientState state, void* self);
    static void OnReconnect(AvahiTimeout* t, void* self);
    void clientChanged();
    bool up() const;
    bool running() const;

    // Searches.
    void apply(std::uint64_t object, const Wish& w);
    void open(Search& s);
    void close(Search& s);
    static void OnSearchRetry(AvahiTimeout* t, void* search);
    static void OnBrowse(AvahiServiceBrowser* b, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                         const char* name, const char* type, const char* domain, AvahiLookupResultFlags flags, void* search);
    void resolve(Search& s, std::uint64_t serial, const ServiceKey& key, AvahiIfIndex interface, AvahiProtocol protocol);
    void forget(Resolving& r);
    static void OnResolve(AvahiServiceResolver* r, AvahiIfIndex interface, AvahiProtocol protocol, AvahiResolverEvent event,
                          const char* name, const char* type, const char* domain, const char* hostName, const AvahiAddress* a,
                          std::uint16_t port, AvahiStringList* txt, AvahiLookupResultFlags flags, void* resolving);
    static void OnDeadline(AvahiTimeout* t, void* resolving);

    // Advertisements.
    void drop(Advert& a);
    void fail(Advert& a, int error);
    void enroll(Advert& a);
    int addService(Advert& a, const std::string& name);
    int rename(Advert& a, std::string& name);
    static void OnGroup(AvahiEntryGroup* g, AvahiEntryGroupState state, void* advert);

    std::shared_ptr<Mailbox> box_;
    AvahiSimplePoll* poll_ = nullptr;
    const AvahiPoll* api_ = nullptr;
    AvahiWatch* inbox_ = nullptr;
    AvahiClient* client_ = nullptr;
    AvahiClientState state_ = AVAHI_CLIENT_CONNECTING;
    AvahiTimeout* reconnect_ = nullptr;
    bool up_ = false;
    std::uint64_t serial_ = 0;
    // Map nodes stay where they are: the callbacks hold pointers to them.
    std::map<std::uint64_t, Search> searches_;
    std::map<std::uint64_t, Advert> adverts_;
};

Daemon::Daemon(std::shared_ptr<Mailbox> box) : box_(std::move(box)) {
    poll_ = avahi_simple_poll_new();
    if (!poll_) return;
    api_ = avahi_simple_poll_get(poll_);
    if (box_->toDaemon >= 0) inbox_ = api_->watch_new(api_, box_->toDaemon, AVAHI_WATCH_IN, OnInbox, this);
}

// What was made on the daemon goes before the connection, the connection before the loop.
Daemon::~Daemon() {
    for (auto& [id, s] : searches_) close(s);
    for (auto& [id, a] : adverts_) drop(a);
    if (!api_) return;
    if (reconnect_) api_->timeout_free(reconnect_);
    if (client_) avahi_client_free(client_);
    if (inbox_) api_->watch_free(inbox_);
    avahi_simple_poll_free(poll_);
}

void Daemon::Run() {
    if (!poll_ || !inbox_) return answered();
    connect();
    takeWishes();  // what was wished before the thread ran
    while (avahi_simple_poll_iterate(poll_, -1) == 0) {
    }
}

// ---- The loop and the mailbox ------------------------------------------------------------------

AvahiTimeout* Daemon::after(int ms, AvahiTimeoutCallback callback, void* user) {
    struct timeval tv;
    avahi_elapse_time(&tv, unsigned(ms), 0);
    return api_->timeout_new(api_, &tv, callback, user);
}

void Daemon::arm(AvahiTimeout*& t, int ms, AvahiTimeoutCallback callback, void* user) {
    if (!t) {
        t = after(ms, callback, user);
        return;
    }
    struct timeval tv;
    avahi_elapse_time(&tv, unsigned(ms), 0);
    api_->timeout_update(t, &tv);
}

void Daemon::OnInbox(AvahiWatch*, int fd, AvahiWatchEvent, void* self) {
    Mailbox::Drain(fd);
    static_cast<Daemon*>(self)->takeWishes();
}

bool Daemon::quitting() {
    std::lock_guard<std::mutex> hold(box_->lock);
    return box_->quit;
}

// The changed wishes, copied out under the lock, then applied in the order of their objects.
void Daemon::takeWishes() {
    std::vector<std::pair<std::uint64_t, Wish>> taken;
    {
        std::lock_guard<std::mutex> hold(box_->lock);
        if (!box_->quit) {
            for (auto it = box_->wishes.begin(); it != box_->wishes.end();) {
                if (!it->second.changed) {
                    ++it;
                    continue;
                }
                it->second.changed = false;
                it->second.known = true;
                taken.emplace_back(it->first, it->second);
                it = it->second.gone ? box_->wishes.erase(it) : std::next(it);
            }
        }
    }
    for (const auto& [object, wish] : taken) {
        if (quitting()) break;
        apply(object, wish);
    }
    if (quitting()) avahi_simple_poll_quit(poll_);
}

// Waits for room, unless the GUI side has gone; answers whether the event went.
bool Daemon::post(Event&& e) {
    {
        std::unique_lock<std::mutex> hold(box_->lock);
        box_->changed.wait(hold, [this] { return box_->events.size() < Mailbox::kMaxEvents || box_->quit; });
        if (box_->quit) return false;
        box_->events.push_back(std::move(e));
    }
    Mailbox::Wake(box_->toGui);
    return true;
}

void Daemon::answered() {
    {
        std::lock_guard<std::mutex> hold(box_->lock);
        box_->answered = true;
        box_->daemonUp = up();
    }
    box_->changed.notify_all();
}

// ---- The connection -----------------------------------------------------------------------------

bool Daemon::up() const {
    const bool answers = state_ == AVAHI_CLIENT_S_RUNNING || state_ == AVAHI_CLIENT_S_REGISTERING || state_ == AVAHI_CLIENT_S_COLLISION;
    return client_ && answers;
}

bool Daemon::running() const { return client_ && state_ == AVAHI_CLIENT_S_RUNNING; }

void Daemon::connect() {
    int error = 0;
    state_ = AVAHI_CLIENT_CONNECTING;
    // The state callback runs inside avahi_client_new already; client_ is set there.
    AvahiClient* c = avahi_client_new(api_, AVAHI_CLIENT_NO_FAIL, OnClient, this, &error);
    client_ = c;
    if (!c) {
        // No bus: tried again later.
        state_ = AVAHI_CLIENT_CONNECTING;
        arm(reconnect_, kRetryMs, OnReconnect, this);
        clientChanged();
    }
    answered();
}

void Daemon::OnClient(AvahiClient* c, AvahiClientState state, void* self) {
    auto* d = static_cast<Daemon*>(self);
    d->client_ = c;
    d->state_ = state;
    try {
        d->clientChanged();
    } catch (...) {
    }
    if (state == AVAHI_CLIENT_FAILURE) {
        // The daemon or the bus went away. The client is freed and made anew a little later,
        // never from inside its own callback; the new one waits for the daemon to come back.
        d->arm(d->reconnect_, kReconnectMs, OnReconnect, d);
    }
}

void Daemon::OnReconnect(AvahiTimeout* t, void* self) {
    auto* d = static_cast<Daemon*>(self);
    d->api_->timeout_update(t, nullptr);
    if (d->client_) avahi_client_free(d->client_);
    d->client_ = nullptr;
    d->connect();
}

void Daemon::clientChanged() {
    const bool now = up();
    {
        std::lock_guard<std::mutex> hold(box_->lock);
        box_->daemonUp = now;
    }
    if (now != up_) {
        up_ = now;
        for (auto& [id, s] : searches_) {
            if (now) {
                if (s.type && !s.browser) open(s);
                continue;
            }
            // The daemon went away: what it had found is gone with it. The objects made on the
            // old client are let go (it no longer talks to the daemon), and the GUI side reports
            // every service it lists removed, as the daemon would have; the search starts again
            // when the daemon comes back.
            close(s);
            if (s.type) {
                Event e;
                e.kind = Event::Kind::DaemonGone;
                e.object = s.object;
                e.generation = s.generation;
                if (!post(std::move(e))) return;
            }
        }
    }
    // The daemon went away, or its host name is settling: what was advertised is gone; it is
    // advertised again once the daemon runs.
    for (auto& [id, a] : adverts_) {
        if (!running()) drop(a);
        else if (a.want && !a.group) enroll(a);
    }
}

// ---- Searches -----------------------------------------------------------------------------------

void Daemon::apply(std::uint64_t object, const Wish& w) {
    if (w.gone) {
        if (auto it = searches_.find(object); it != searches_.end()) {
            close(it->second);
            searches_.erase(it);
        }
        if (auto it = adverts_.find(object); it != adverts_.end()) {
            drop(it->second);
            adverts_.erase(it);
        }
        return;
    }
    if (w.side == Wish::Side::Search) {
        auto [it, fresh] = searches_.try_emplace(object);
        Search& s = it->second;
        if (!fresh && s.generation == w.generation) return;
        s.d = this;
        s.object = object;
        close(s);
        s.generation = w.generation;
        s.type = w.search;
        if (s.type && up()) open(s);
        return;
    }
    auto [it, fresh] = adverts_.try_emplace(object);
    Advert& a = it->second;
    if (!fresh && a.generation == w.generation) return;
    a.d = this;
    a.object = object;
    drop(a);
    a.generation = w.generation;
    a.want = w.advert;
    if (a.want && running()) enroll(a);
}

void Daemon::open(Search& s) {
    // Over IPv4 only, on every interface, in the daemon's default domain: the program joins over
    // IPv4, and a dual-stack daemon reports each service once per protocol, where the report over
    // IPv6 resolves to nothing when A records are not published over IPv6 (the default).
    s.browser = avahi_service_browser_new(client_, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, s.type->c_str(), nullptr, AvahiLookupFlags(0),
                                          OnBrowse, &s);
    if (s.browser || !up() || !transient(avahi_client_errno(client_))) return;
    // The daemon did not answer in time (it was stopped or busy): asked again later.
    arm(s.retry, kRetryMs, OnSearchRetry, &s);
}

void Daemon::OnSearchRetry(AvahiTimeout* t, void* search) {
    auto& s = *static_cast<Search*>(search);
    s.d->api_->timeout_update(t, nullptr);
    if (s.type && !s.browser && s.d->up()) s.d->open(s);
}

void Daemon::close(Search& s) {
    for (auto& [serial, r] : s.resolving) {
        if (r->resolver) avahi_service_resolver_free(r->resolver);
        if (r->deadline) api_->timeout_free(r->deadline);
    }
    s.resolving.clear();
    if (s.browser) avahi_service_browser_free(s.browser);
    s.browser = nullptr;
    if (s.retry) api_->timeout_free(s.retry);
    s.retry = nullptr;
}

void Daemon::OnBrowse(AvahiServiceBrowser* b, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                      const char* name, const char* type, const char* domain, AvahiLookupResultFlags, void* search) {
    auto& s = *static_cast<Search*>(search);
    if (s.browser != b) return;
    Daemon& d = *s.d;
    try {
        ServiceKey key{name ? name : "", type ? type : "", domain ? domain : ""};
        Event e;
        e.object = s.object;
        e.generation = s.generation;
        switch (event) {
            case AVAHI_BROWSER_NEW: {
                const std::uint64_t serial = ++d.serial_;
                e.kind = Event::Kind::Found;
                e.serial = serial;
                e.key = key;
                if (!d.post(std::move(e))) return;
                if (s.resolving.size() < kMaxResolving) d.resolve(s, serial, key, interface, protocol);
                break;
            }
            case AVAHI_BROWSER_REMOVE: {
                e.kind = Event::Kind::Removed;
                e.key = key;
                if (!d.post(std::move(e))) return;
                // Its entries are gone: resolving them is over.
                std::vector<Resolving*> gone;
                for (auto& [serial, r] : s.resolving)
                    if (r->key == key) gone.push_back(r.get());
                for (Resolving* r : gone) d.forget(*r);
                break;
            }
            case AVAHI_BROWSER_FAILURE: {
                // The failure is not reported as such. What the search had found is reported
                // removed, as when the daemon goes (its reports would not reach anyone), and the
                // search starts again a moment later, for as long as it is wanted: its first
                // reports list the services anew.
                d.close(s);
                Event gone;
                gone.kind = Event::Kind::DaemonGone;
                gone.object = s.object;
                gone.generation = s.generation;
                if (!d.post(std::move(gone))) return;
                d.arm(s.retry, kRetryMs, OnSearchRetry, &s);
                break;
            }
            default:
                break;
        }
    } catch (...) {
        // Out of memory: the report is lost, nothing else.
    }
}

// Resolved to an IPv4 address, so that the address can be dialled; given up after 5.0 s.
void Daemon::resolve(Search& s, std::uint64_t serial, const ServiceKey& key, AvahiIfIndex interface, AvahiProtocol protocol) {
    auto r = std::make_unique<Resolving>(Resolving{s, serial, key});
    r->resolver = avahi_service_resolver_new(client_, interface, protocol, key.name.c_str(), key.type.c_str(), key.domain.c_str(),
                                             AVAHI_PROTO_INET, AvahiLookupFlags(0), OnResolve, r.get());
    if (!r->resolver) return;
    r->deadline = after(kResolveMs, OnDeadline, r.get());
    s.resolving[serial] = std::move(r);
}

void Daemon::forget(Resolving& r) {
    Search& s = r.search;
    const std::uint64_t serial = r.serial;
    if (r.resolver) avahi_service_resolver_free(r.resolver);
    r.resolver = nullptr;
    if (r.deadline) api_->timeout_free(r.deadline);
    r.deadline = nullptr;
    s.resolving.erase(serial);
}

void Daemon::OnDeadline(AvahiTimeout*, void* resolving) {
    auto& r = *static_cast<Resolving*>(resolving);
    r.search.d->forget(r);
}

void Daemon::OnResolve(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event, const char* name,
                       const char*, const char*, const char* hostName, const AvahiAddress* a, std::uint16_t port,
                       AvahiStringList* txt, AvahiLookupResultFlags, void* resolving) {
    auto& r = *static_cast<Resolving*>(resolving);
    if (r.resolver != resolver) return;
    Daemon& d = *r.search.d;
    if (event != AVAHI_RESOLVER_FOUND) {
        // Not reported: the entry stays unresolved.
        d.forget(r);
        return;
    }
    try {
        Event e;
        e.kind = Event::Kind::Resolved;
        e.object = r.search.object;
        e.generation = r.search.generation;
        e.serial = r.serial;
        FoundService& s = e.service;
        s.resolved = true;
        s.name = name ? name : "";
        s.hostName = hostName ? hostName : "";
        // The resolver asks for IPv4 addresses only (resolve), the kind a guest dials.
        if (a && a->proto == AVAHI_PROTO_INET)
            s.addresses.push_back(Ipv4Record(reinterpret_cast<const unsigned char*>(&a->data.ipv4.address), port));
        s.hasTxt = txt != nullptr;
        // A resolved record lists its strings from the first (unlike a list made to be
        // published), so it is written out in list order rather than through
        // avahi_string_list_serialize.
        for (AvahiStringList* l = txt; l; l = avahi_string_list_get_next(l)) {
            const std::size_t n = std::min<std::size_t>(avahi_string_list_get_size(l), 255);
            const std::uint8_t* text = avahi_string_list_get_text(l);
            s.txt.push_back(static_cast<unsigned char>(n));
            s.txt.insert(s.txt.end(), text, text + n);
        }
        d.post(std::move(e));
    } catch (...) {
    }
}

// ---- Advertisements -----------------------------------------------------------------------------

// Withdraws what is advertised; what is wanted stays.
void Daemon::drop(Advert& a) {
    if (a.group) avahi_entry_group_free(a.group);
    a.group = nullptr;
    a.advertised.clear();
    a.announced = false;
}

void Daemon::fail(Advert& a, int error) {
    drop(a);
    a.want.reset();
    Event e;
    e.kind = Event::Kind::Failed;
    e.object = a.object;
    e.generation = a.generation;
    e.error = error;
    post(std::move(e));
}

int Daemon::addService(Advert& a, const std::string& name) {
    const Announcement& w = *a.want;
    // The record's strings in their order, as Avahi lists them (each added in front).
    AvahiStringList* txt = nullptr;
    for (std::size_t pos = 0; pos < w.txt.size(); pos += 1 + w.txt[pos])
        txt = avahi_string_list_add_arbitrary(txt, w.txt.data() + pos + 1, w.txt[pos]);
    const int r = avahi_entry_group_add_service_strlst(a.group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name.c_str(),
                                                       w.type.c_str(), nullptr, nullptr, w.port, txt);
    avahi_string_list_free(txt);
    return r;
}

// Moves name on to the next one after a collision: 0, or the error that ends the attempts.
int Daemon::rename(Advert& a, std::string& name) {
    if (a.renames >= kMaxRenames) return AVAHI_ERR_COLLISION;
    char* next = avahi_alternative_service_name(name.c_str());
    if (!next) return AVAHI_ERR_NO_MEMORY;
    name = next;
    avahi_free(next);
    ++a.renames;
    return 0;
}

void Daemon::enroll(Advert& a) {
    if (!a.want || !running()) return;
    // Each enrolment has its own few renames: those of the daemon's earlier runs do not count.
    a.renames = 0;
    AvahiEntryGroup* g = avahi_entry_group_new(client_, OnGroup, &a);
    if (!g) return fail(a, avahi_client_errno(client_));
    a.group = g;
    // An empty name is the machine's: the daemon refuses an empty one.
    std::string name = a.want->name;
    if (name.empty()) {
        const char* host = avahi_client_get_host_name(client_);
        name = host ? host : "";
    }
    int r;
    // A name taken by another service on this machine (a second Quorril): the next free one.
    while ((r = addService(a, name)) == AVAHI_ERR_COLLISION && rename(a, name) == 0) {
    }
    if (r >= 0) r = avahi_entry_group_commit(a.group);
    if (r < 0) return fail(a, r);
    a.advertised = name;
}

void Daemon::OnGroup(AvahiEntryGroup* g, AvahiEntryGroupState state, void* advert) {
    auto& a = *static_cast<Advert*>(advert);
    if (g != a.group) return;  // the first report comes from inside avahi_entry_group_new
    Daemon& d = *a.d;
    try {
        switch (state) {
            case AVAHI_ENTRY_GROUP_REGISTERING:
            case AVAHI_ENTRY_GROUP_ESTABLISHED:
                if (!a.announced) {
                    a.announced = true;
                    Event e;
                    e.kind = Event::Kind::Published;
                    e.object = a.object;
                    e.generation = a.generation;
                    d.post(std::move(e));
                }
                break;
            case AVAHI_ENTRY_GROUP_COLLISION: {
                // Another machine advertises the name: go on under the next one.
                std::string name = a.advertised;
                if (const int error = d.rename(a, name)) return d.fail(a, error);
                avahi_entry_group_reset(g);
                int r = d.addService(a, name);
                if (r >= 0) r = avahi_entry_group_commit(g);
                if (r < 0) return d.fail(a, r);
                a.advertised = name;
                break;
            }
            case AVAHI_ENTRY_GROUP_FAILURE:
                d.fail(a, avahi_client_errno(avahi_entry_group_get_client(g)));
                break;
            default:
                break;
        }
    } catch (...) {
    }
}

}  // namespace

void RunDaemonThread(std::shared_ptr<Mailbox> box) {
    // Signals meant for the program are handled on its own threads.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    try {
        Daemon d(box);
        d.Run();
    } catch (...) {
    }
    {
        std::lock_guard<std::mutex> hold(box->lock);
        box->ended = true;
        box->answered = true;
        box->daemonUp = false;
    }
    box->changed.notify_all();
}

}  // namespace bonjour
