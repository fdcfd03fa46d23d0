#include "plugin/daemonlink.h"

#include "plugin/daemon.h"
#include "plugin/runtime.h"

#include <poll.h>

#include <chrono>
#include <vector>

namespace bonjour {

namespace {

// The running link; the controls own it.
std::weak_ptr<DaemonLink>& running() {
    static std::weak_ptr<DaemonLink> link;
    return link;
}

}  // namespace

DaemonLink::DaemonLink(std::shared_ptr<Mailbox> box) : box_(std::move(box)) {}

std::shared_ptr<DaemonLink> DaemonLink::Get() {
    if (std::shared_ptr<DaemonLink> link = running().lock()) return link;
    auto watch = Find<PluginWatchSocketFn>(Routine::RuntimeWatchSocket);
    auto release = Find<PluginWatchSocketFreeFn>(Routine::RuntimeWatchSocketFree);
    if (!watch || !release) return nullptr;
    auto box = std::make_shared<Mailbox>();
    if (box->toDaemon < 0 || box->toGui < 0) return nullptr;
    std::shared_ptr<DaemonLink> link(new DaemonLink(box));
    link->watch_ = watch(box->toGui, POLLIN, Fired, link.get());
    if (!link->watch_) return nullptr;
    link->freeWatch_ = release;
    try {
        link->thread_ = std::thread(RunDaemonThread, box);
    } catch (...) {
        return nullptr;
    }
    running() = link;
    return link;
}

// The thread is told to end, then waited for a moment: it lets go of the daemon's objects and of
// the connection, which takes a few round trips to a daemon that answers. One that does not
// answer holds it longer: it is left to end on its own, holding the mailbox and nothing else.
DaemonLink::~DaemonLink() {
    if (watch_ && freeWatch_) freeWatch_(watch_);
    if (!thread_.joinable()) return;
    bool ended = false;
    {
        std::unique_lock<std::mutex> hold(box_->lock);
        box_->quit = true;
        box_->changed.notify_all();
        Mailbox::Wake(box_->toDaemon);
        ended = box_->changed.wait_for(hold, std::chrono::milliseconds(kEndMs), [this] { return box_->ended; });
    }
    if (ended) thread_.join();
    else thread_.detach();
}

std::uint64_t DaemonLink::Join(Sink& sink) {
    const std::uint64_t object = ++next_;
    sinks_[object] = &sink;
    return object;
}

void DaemonLink::Leave(std::uint64_t object) {
    sinks_.erase(object);
    {
        std::lock_guard<std::mutex> hold(box_->lock);
        auto it = box_->wishes.find(object);
        // Nothing of it reached the avahi thread: nothing is left to undo there.
        if (it == box_->wishes.end()) return;
        if (!it->second.known) {
            box_->wishes.erase(it);
            return;
        }
        it->second.gone = true;
        it->second.changed = true;
    }
    Mailbox::Wake(box_->toDaemon);
}

void DaemonLink::Want(std::uint64_t object, const std::function<void(Wish&)>& change) {
    {
        std::lock_guard<std::mutex> hold(box_->lock);
        Wish& w = box_->wishes[object];
        change(w);
        w.changed = true;
    }
    Mailbox::Wake(box_->toDaemon);
}

// Once per link at most: a daemon that holds the first attempt (it is stopped) costs the window
// that moment once, and then reads as not answering until it does.
bool DaemonLink::DaemonUp() {
    std::unique_lock<std::mutex> hold(box_->lock);
    if (!waited_) {
        waited_ = true;
        box_->changed.wait_for(hold, std::chrono::milliseconds(kFirstAnswerMs), [this] { return box_->answered; });
    }
    return box_->daemonUp;
}

void DaemonLink::Poke() { Mailbox::Wake(box_->toGui); }

void DaemonLink::Fired(void* user, int fd, int) {
    auto* link = static_cast<DaemonLink*>(user);
    Mailbox::Drain(fd);
    // Raised from a handler's own event loop: the events wait for the handler to return, and
    // the turn asked for meanwhile comes after it.
    if (link->delivering_) {
        link->missed_ = true;
        return;
    }
    // A handler may destroy the last control: the link stays until this turn is over.
    std::shared_ptr<DaemonLink> keep = link->weak_from_this().lock();
    if (!keep) return;
    link->delivering_ = true;
    link->missed_ = false;
    try {
        link->deliver();
    } catch (...) {
    }
    link->delivering_ = false;
    if (link->missed_) link->Poke();
}

void DaemonLink::deliver() {
    // The GUI objects' own events first, then the thread's, one at a time: a handler may make
    // and destroy objects, so each is looked up again.
    std::vector<std::uint64_t> objects;
    objects.reserve(sinks_.size());
    for (const auto& [object, sink] : sinks_) objects.push_back(object);
    for (std::uint64_t object : objects)
        if (auto it = sinks_.find(object); it != sinks_.end()) it->second->Turn();
    bool more = false;
    for (int n = 0; n < kEventsPerTurn; ++n) {
        Event e;
        {
            std::lock_guard<std::mutex> hold(box_->lock);
            if (box_->events.empty()) break;
            e = std::move(box_->events.front());
            box_->events.pop_front();
            more = !box_->events.empty();
        }
        // Room for the thread, if it waits for some.
        box_->changed.notify_all();
        if (auto it = sinks_.find(e.object); it != sinks_.end()) it->second->Deliver(e);
    }
    if (more) Poke();
}

}  // namespace bonjour
