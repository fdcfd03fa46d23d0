#include "plugin/link.h"

namespace bonjour {

namespace {
// A bus that is not there is tried again this often.
constexpr int kRetryMs = 2000;
// After a failure the client is made anew this much later, so that a daemon that fails at once
// again does not keep the loop busy.
constexpr int kReconnectMs = 250;
}

Link::Link(std::function<void()> changed) : changed_(std::move(changed)) {}

Link::~Link() {
    if (client_) avahi_client_free(client_);
}

void Link::Ensure(bool keepTrying) {
    keepTrying_ = keepTrying_ || keepTrying;
    if (!client_ && !waiting_) Connect();
}

AvahiClient* Link::Connected() const {
    const bool up = state_ == AVAHI_CLIENT_S_RUNNING || state_ == AVAHI_CLIENT_S_REGISTERING || state_ == AVAHI_CLIENT_S_COLLISION;
    return client_ && up ? client_ : nullptr;
}

AvahiClient* Link::Running() const { return client_ && state_ == AVAHI_CLIENT_S_RUNNING ? client_ : nullptr; }

void Link::Connect() {
    const AvahiPoll* loop = HostLoop();
    if (!loop) return;
    int error = 0;
    state_ = AVAHI_CLIENT_CONNECTING;
    // The state callback runs inside avahi_client_new already; client_ is set there.
    AvahiClient* c = avahi_client_new(loop, AVAHI_CLIENT_NO_FAIL, OnState, this, &error);
    if (c) {
        client_ = c;
        return;
    }
    client_ = nullptr;
    state_ = AVAHI_CLIENT_CONNECTING;
    if (keepTrying_ && !waiting_) {
        waiting_ = true;
        later_.After(kRetryMs, [this] {
            waiting_ = false;
            Connect();
        });
    }
}

void Link::OnState(AvahiClient* c, AvahiClientState state, void* self) {
    auto* link = static_cast<Link*>(self);
    link->client_ = c;
    link->state_ = state;
    if (state == AVAHI_CLIENT_FAILURE) {
        // The daemon or the bus went away. The client is freed and made anew on the next turn,
        // never from inside its own callback; the new one waits for the daemon to come back.
        if (!link->waiting_) {
            link->waiting_ = true;
            link->later_.Post([link] {
                if (link->client_) avahi_client_free(link->client_);
                link->client_ = nullptr;
                link->later_.After(kReconnectMs, [link] {
                    link->waiting_ = false;
                    link->Connect();
                });
            });
        }
    }
    if (link->changed_) link->changed_();
}

}  // namespace bonjour
