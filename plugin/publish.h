#pragma once
// The publishing side of one control: at most one service advertised at a time, until it is
// stopped, with the Published, Stopped and Error events.
#include "framework/plugin_interface.h"
#include "plugin/link.h"
#include "plugin/logic.h"

#include <avahi-client/publish.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bonjour {

using PlainRaiser = void (*)(PluginInstance* instance);
using ErrorRaiser = void (*)(PluginInstance* instance, std::int32_t error);

class Publish {
public:
    Publish(PluginInstance* instance, PlainRaiser published, PlainRaiser stopped, ErrorRaiser error);
    // Withdraws the publication.
    ~Publish();
    Publish(const Publish&) = delete;
    Publish& operator=(const Publish&) = delete;

    // Withdraws the current publication, then advertises the type under the name (empty: the
    // machine's host name) on the port (negative: a throw-away port) with the TXT strings (none:
    // no TXT record). Without the daemon, it goes out once the daemon comes.
    void Start(const std::string& type, const std::string& name, const std::vector<std::string>& strings, std::int32_t port);
    // Withdraws the publication, if any; Stopped follows on the next turn.
    void Stop();

    // The name the service is advertised under (after collisions), empty while none is.
    const std::string& AdvertisedName() const { return advertised_; }

    // Attempts at a free name when the name is taken, before giving up with an error.
    static constexpr int kMaxRenames = 32;

private:
    struct Wanted {
        std::string type, name;
        std::uint16_t port = 0;
        Bytes txt;  // empty: no TXT record
    };
    static void OnGroup(AvahiEntryGroup* g, AvahiEntryGroupState state, void* self);
    void LinkChanged();
    void Register();
    int AddService(const std::string& name);
    int Rename(std::string& name);
    void Fail(int error);
    void Drop();

    PluginInstance* instance_;
    PlainRaiser published_, stopped_;
    ErrorRaiser error_;
    std::optional<Wanted> want_;
    AvahiEntryGroup* group_ = nullptr;
    std::string advertised_;
    bool announced_ = false;
    int renames_ = 0;
    Later later_;
    Link link_;
};

}  // namespace bonjour
