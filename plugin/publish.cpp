#include "plugin/publish.h"

namespace bonjour {

Publish::Publish(PluginInstance* instance, PlainRaiser published, PlainRaiser stopped, ErrorRaiser error)
    : instance_(instance), published_(published), stopped_(stopped), error_(error), link_(DaemonLink::Get()) {
    if (link_) object_ = link_->Join(*this);
}

Publish::~Publish() {
    alive_.reset();
    if (link_) link_->Leave(object_);
}

void Publish::Start(const std::string& type, const std::string& name, const std::vector<std::string>& strings, std::int32_t port) {
    Stop();
    const std::optional<std::uint16_t> chosen = PublishedPort(port);
    if (!chosen || !link_) return;  // no throw-away port to be had: nothing is published, silently
    Announcement a{type, name, *chosen, EncodeTxt(strings)};
    wanted_ = true;
    const std::uint64_t generation = ++generation_;
    link_->Want(object_, [&](Wish& w) {
        w.side = Wish::Side::Advert;
        w.generation = generation;
        w.advert = std::move(a);
    });
}

void Publish::Stop() {
    if (!wanted_) return;
    wanted_ = false;
    const std::uint64_t generation = ++generation_;
    link_->Want(object_, [&](Wish& w) {
        w.side = Wish::Side::Advert;
        w.generation = generation;
        w.advert.reset();
    });
    if (stopsPending_ < UINT32_MAX) ++stopsPending_;
    link_->Poke();
}

void Publish::Turn() {
    std::weak_ptr<char> alive = alive_;
    while (stopsPending_ > 0) {
        --stopsPending_;
        if (stopped_) stopped_(instance_);
        if (alive.expired()) return;
    }
}

void Publish::Deliver(Event& e) {
    // What belongs to a publication that has been withdrawn since is dropped.
    if (e.generation != generation_) return;
    if (e.kind == Event::Kind::Published) {
        if (published_) published_(instance_);
    } else if (e.kind == Event::Kind::Failed) {
        // Nothing is advertised any more: a stop has nothing to withdraw.
        wanted_ = false;
        if (error_) error_(instance_, e.error);
    }
}

}  // namespace bonjour
