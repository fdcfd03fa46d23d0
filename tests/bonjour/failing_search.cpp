// Stands in front of libavahi-client's avahi_client_new (to learn the plug-in's poll) and
// avahi_service_browser_new/free (to make a search fail on the poll's own thread, as the daemon's
// failure would arrive). Each calls the library's own function, found after this one.
#include "failing_search.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/timeval.h>

#include <dlfcn.h>

#include <atomic>
#include <map>
#include <mutex>

namespace {

std::atomic<const AvahiPoll*> thePoll{nullptr};
std::atomic<int> toFail{0};
std::atomic<int> afterMs{0};
std::atomic<int> failed{0};

// A failure on its way to one search.
struct Pending {
    AvahiServiceBrowser* browser;
    AvahiServiceBrowserCallback callback;
    void* user;
    AvahiTimeout* timeout = nullptr;
};
std::mutex lock;
std::map<AvahiServiceBrowser*, Pending*> pending;

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

void fire(AvahiTimeout* t, void* p) {
    auto* f = static_cast<Pending*>(p);
    {
        std::lock_guard<std::mutex> g(lock);
        pending.erase(f->browser);
    }
    thePoll.load()->timeout_free(t);
    ++failed;
    // The search's owner frees the browser from inside its callback, as after the daemon's failure.
    f->callback(f->browser, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AVAHI_BROWSER_FAILURE, nullptr, nullptr, nullptr,
                AvahiLookupResultFlags(0), f->user);
    delete f;
}

}  // namespace

#define SHIM extern "C" __attribute__((visibility("default")))

SHIM void QuorrilFailNextSearches(int n, int ms) {
    afterMs = ms;
    toFail = n;
}

SHIM int QuorrilFailedSearches() { return failed.load(); }

SHIM AvahiClient* avahi_client_new(const AvahiPoll* api, AvahiClientFlags flags, AvahiClientCallback callback, void* user, int* error) {
    thePoll = api;
    using New = AvahiClient* (*)(const AvahiPoll*, AvahiClientFlags, AvahiClientCallback, void*, int*);
    static const New next = real<New>("avahi_client_new");
    return next(api, flags, callback, user, error);
}

SHIM AvahiServiceBrowser* avahi_service_browser_new(AvahiClient* client, AvahiIfIndex interface, AvahiProtocol protocol, const char* type,
                                               const char* domain, AvahiLookupFlags flags, AvahiServiceBrowserCallback callback,
                                               void* user) {
    using New = AvahiServiceBrowser* (*)(AvahiClient*, AvahiIfIndex, AvahiProtocol, const char*, const char*, AvahiLookupFlags,
                                         AvahiServiceBrowserCallback, void*);
    static const New next = real<New>("avahi_service_browser_new");
    AvahiServiceBrowser* b = next(client, interface, protocol, type, domain, flags, callback, user);
    int left = toFail.load();
    if (!b || left <= 0 || !toFail.compare_exchange_strong(left, left - 1)) return b;
    auto* f = new Pending{b, callback, user};
    struct timeval when;
    avahi_elapse_time(&when, unsigned(afterMs.load()), 0);
    f->timeout = thePoll.load()->timeout_new(thePoll.load(), &when, fire, f);
    std::lock_guard<std::mutex> g(lock);
    pending[b] = f;
    return b;
}

SHIM int avahi_service_browser_free(AvahiServiceBrowser* b) {
    {
        // A search freed before its failure came: the failure is not delivered.
        std::lock_guard<std::mutex> g(lock);
        auto it = pending.find(b);
        if (it != pending.end()) {
            thePoll.load()->timeout_free(it->second->timeout);
            delete it->second;
            pending.erase(it);
        }
    }
    using Free = int (*)(AvahiServiceBrowser*);
    static const Free next = real<Free>("avahi_service_browser_free");
    return next(b);
}
