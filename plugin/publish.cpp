#include "plugin/publish.h"

#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

namespace bonjour {

Publish::Publish(PluginInstance* instance, PlainRaiser published, PlainRaiser stopped, ErrorRaiser error)
    : instance_(instance), published_(published), stopped_(stopped), error_(error), link_([this] { LinkChanged(); }) {}

Publish::~Publish() { Drop(); }

// Withdraws what is advertised; what is wanted stays.
void Publish::Drop() {
    if (group_) avahi_entry_group_free(group_);
    group_ = nullptr;
    advertised_.clear();
    announced_ = false;
}

void Publish::Start(const std::string& type, const std::string& name, const std::vector<std::string>& strings, std::int32_t port) {
    Stop();
    const std::optional<std::uint16_t> chosen = PublishedPort(port);
    if (!chosen) return;  // no throw-away port to be had: nothing is published, silently
    want_ = Wanted{type, name, *chosen, EncodeTxt(strings)};
    renames_ = 0;
    // A daemon that is there registers the service from inside Ensure already.
    link_.Ensure(true);
    if (want_ && link_.Running() && !group_) Register();
}

void Publish::Stop() {
    if (!want_) return;
    want_.reset();
    Drop();
    later_.Post([this] {
        if (stopped_) stopped_(instance_);
    });
}

void Publish::Fail(int error) {
    Drop();
    want_.reset();
    later_.Post([this, error] {
        if (error_) error_(instance_, error);
    });
}

int Publish::AddService(const std::string& name) {
    const Wanted& w = *want_;
    // The record's strings in their order, as Avahi lists them (each added in front).
    AvahiStringList* txt = nullptr;
    for (std::size_t pos = 0; pos < w.txt.size(); pos += 1 + w.txt[pos])
        txt = avahi_string_list_add_arbitrary(txt, w.txt.data() + pos + 1, w.txt[pos]);
    const int r = avahi_entry_group_add_service_strlst(group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name.c_str(),
                                                       w.type.c_str(), nullptr, nullptr, w.port, txt);
    avahi_string_list_free(txt);
    return r;
}

// Moves name on to the next one after a collision: 0, or the error that ends the attempts.
int Publish::Rename(std::string& name) {
    if (renames_ >= kMaxRenames) return AVAHI_ERR_COLLISION;
    char* next = avahi_alternative_service_name(name.c_str());
    if (!next) return AVAHI_ERR_NO_MEMORY;
    name = next;
    avahi_free(next);
    ++renames_;
    return 0;
}

void Publish::Register() {
    AvahiClient* c = link_.Running();
    if (!want_ || !c) return;
    AvahiEntryGroup* g = avahi_entry_group_new(c, OnGroup, this);
    if (!g) return Fail(avahi_client_errno(c));
    group_ = g;
    // An empty name is the machine's: the daemon refuses an empty one.
    std::string name = want_->name;
    if (name.empty()) {
        const char* host = avahi_client_get_host_name(c);
        name = host ? host : "";
    }
    int r;
    // A name taken by another service on this machine (a second Quorril): the next free one.
    while ((r = AddService(name)) == AVAHI_ERR_COLLISION && Rename(name) == 0) {}
    if (r >= 0) r = avahi_entry_group_commit(group_);
    if (r < 0) return Fail(r);
    advertised_ = name;
}

void Publish::OnGroup(AvahiEntryGroup* g, AvahiEntryGroupState state, void* self) {
    auto* p = static_cast<Publish*>(self);
    if (g != p->group_) return;  // the first report comes from inside avahi_entry_group_new
    try {
        switch (state) {
            case AVAHI_ENTRY_GROUP_REGISTERING:
            case AVAHI_ENTRY_GROUP_ESTABLISHED:
                if (!p->announced_) {
                    p->announced_ = true;
                    p->later_.Post([p] {
                        if (p->published_) p->published_(p->instance_);
                    });
                }
                break;
            case AVAHI_ENTRY_GROUP_COLLISION: {
                // Another machine advertises the name: go on under the next one.
                std::string name = p->advertised_;
                if (const int error = p->Rename(name)) return p->Fail(error);
                avahi_entry_group_reset(g);
                int r = p->AddService(name);
                if (r >= 0) r = avahi_entry_group_commit(g);
                if (r < 0) return p->Fail(r);
                p->advertised_ = name;
                break;
            }
            case AVAHI_ENTRY_GROUP_FAILURE:
                p->Fail(avahi_client_errno(avahi_entry_group_get_client(g)));
                break;
            default:
                break;
        }
    } catch (...) {
    }
}

void Publish::LinkChanged() {
    if (!link_.Running()) {
        // The daemon went away, or its host name is settling: what was advertised is gone; it
        // is advertised again once the daemon runs.
        Drop();
        return;
    }
    if (want_ && !group_) Register();
}

}  // namespace bonjour
