#pragma once
// The publishing side of one control, on the GUI thread: at most one service advertised at a
// time, until it is stopped, with the Published, Stopped and Error events. The advertisement is
// made on the plug-in's avahi thread (plugin/daemonlink.h); Stopped is this object's own, raised
// on the next turn of the loop.
#include "framework/plugin_interface.h"
#include "plugin/daemonlink.h"
#include "plugin/logic.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bonjour {

using PlainRaiser = void (*)(PluginInstance* instance);
using ErrorRaiser = void (*)(PluginInstance* instance, std::int32_t error);

class Publish : public Sink {
public:
    Publish(PluginInstance* instance, PlainRaiser published, PlainRaiser stopped, ErrorRaiser error);
    // Withdraws the publication.
    ~Publish() override;
    Publish(const Publish&) = delete;
    Publish& operator=(const Publish&) = delete;

    // Withdraws the current publication, then advertises the type under the name (empty: the
    // machine's host name) on the port (negative: a throw-away port) with the TXT strings (none:
    // no TXT record). Without the daemon, it goes out once the daemon comes.
    void Start(const std::string& type, const std::string& name, const std::vector<std::string>& strings, std::int32_t port);
    // Withdraws the publication, if any; Stopped follows on the next turn.
    void Stop();

private:
    void Deliver(Event& e) override;
    void Turn() override;

    PluginInstance* instance_;
    PlainRaiser published_, stopped_;
    ErrorRaiser error_;
    std::shared_ptr<DaemonLink> link_;
    std::uint64_t object_ = 0;
    // The publication the events belong to: each Start and Stop begins another.
    std::uint64_t generation_ = 0;
    bool wanted_ = false;
    // Stopped events to raise on the next turn.
    std::uint32_t stopsPending_ = 0;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace bonjour
