#include "plugin/browser.h"

#include <algorithm>

namespace bonjour {

Browser::Browser(PluginInstance* instance, IndexRaiser found, IndexRaiser removed, IndexRaiser resolved)
    : instance_(instance), found_(found), removed_(removed), resolved_(resolved), link_(DaemonLink::Get()) {
    if (link_) object_ = link_->Join(*this);
}

// The search goes with the browser; the DaemonLink goes with its last control.
Browser::~Browser() {
    alive_.reset();
    if (link_) link_->Leave(object_);
}

void Browser::want(std::optional<std::string> type) {
    ++generation_;
    services_.clear();
    if (!link_) return;
    const std::uint64_t generation = generation_;
    link_->Want(object_, [&](Wish& w) {
        w.side = Wish::Side::Search;
        w.generation = generation;
        w.search = std::move(type);
    });
}

void Browser::Start(const std::string& type) { want(type); }

void Browser::Stop() { want(std::nullopt); }

void Browser::Clean() { services_.clear(); }

std::int32_t Browser::Count() const { return std::int32_t(services_.size()); }

const FoundService* Browser::Get(std::int32_t i) const {
    return i >= 0 && std::size_t(i) < services_.size() ? &services_[std::size_t(i)].service : nullptr;
}

bool Browser::Available() { return link_ && link_->DaemonUp(); }

std::int32_t Browser::indexOf(const ServiceKey& key) const {
    std::vector<const ServiceKey*> keys;
    keys.reserve(services_.size());
    for (const Entry& e : services_) keys.push_back(&e.service.key);
    return FirstIndex(keys, key);
}

void Browser::raise(IndexRaiser raiser, std::int32_t index) {
    if (raiser) raiser(instance_, index);
}

void Browser::removed(ServiceKey key) {
    std::weak_ptr<char> alive = alive_;
    raise(removed_, indexOf(key));
    if (alive.expired()) return;
    std::erase_if(services_, [&](const Entry& e) { return e.service.key == key; });
}

void Browser::Deliver(Event& e) {
    // What belongs to a search that has ended since (a Start, a Stop) is dropped.
    if (e.generation != generation_) return;
    switch (e.kind) {
        case Event::Kind::Found: {
            if (services_.size() >= kMaxServices) return;
            services_.push_back(Entry{e.serial, FoundService{}});
            services_.back().service.key = std::move(e.key);
            raise(found_, indexOf(services_.back().service.key));
            break;
        }
        case Event::Kind::Removed:
            removed(std::move(e.key));
            break;
        case Event::Kind::Resolved: {
            // An entry cleaned away since is not there any more: its resolution goes with it.
            auto it = std::find_if(services_.begin(), services_.end(), [&](const Entry& x) { return x.serial == e.serial; });
            if (it == services_.end()) return;
            FoundService& s = it->service;
            ServiceKey key = std::move(s.key);
            s = std::move(e.service);
            s.key = std::move(key);
            s.resolved = true;
            raise(resolved_, indexOf(s.key));
            break;
        }
        case Event::Kind::DaemonGone: {
            // What the daemon had found is gone with it: every entry is reported removed, as the
            // daemon would have, each key copied before the entries equal to it are erased.
            std::weak_ptr<char> alive = alive_;
            while (!services_.empty()) {
                removed(ServiceKey(services_.front().service.key));
                if (alive.expired()) return;
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace bonjour
