#pragma once
// One connection to the DNS-SD daemon (avahi-daemon over the system bus). It is made on first
// need; a daemon that is not there yet is waited for, one that goes away is waited for again,
// and a system bus that cannot be reached is tried again every few seconds while the owner
// wants the daemon. Objects made on the client (browsers, resolvers, entry groups) are lost with
// the connection: the owner forgets them when Changed reports the link down, and the client
// that goes frees them.
#include "plugin/loop.h"

#include <avahi-client/client.h>

#include <functional>

namespace bonjour {

class Link {
public:
    // changed runs at each change of the daemon's state, also from inside Ensure.
    explicit Link(std::function<void()> changed);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Connects unless connected or already trying. keepTrying: try again later when the bus is
    // not there.
    void Ensure(bool keepTrying);
    // The client while the daemon answers (its host name may still be settling), else null.
    AvahiClient* Connected() const;
    // The client while the daemon runs with its host name established (publishing), else null.
    AvahiClient* Running() const;

private:
    static void OnState(AvahiClient* c, AvahiClientState state, void* self);
    void Connect();

    std::function<void()> changed_;
    AvahiClient* client_ = nullptr;
    AvahiClientState state_ = AVAHI_CLIENT_CONNECTING;
    bool keepTrying_ = false;
    bool waiting_ = false;  // a reconnection is posted
    Later later_;
};

}  // namespace bonjour
