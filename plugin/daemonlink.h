#pragma once
// The GUI thread's link to the plug-in's avahi thread: one DaemonLink while any control exists.
// It starts the thread (plugin/daemon.h), hands it what the GUI objects wish for, and takes the
// events the thread posts on later turns of the host's event loop (a watched descriptor), one
// object's events at a time and in order, never from inside a call of the program's: a handler
// that runs an event loop of its own gets no event meanwhile. After the last control the link
// ends the thread, waiting for it a moment at most (a stalled daemon may hold it): a thread that
// is still busy then is left to end on its own, with nothing of the link's.
//
// The library stays loaded for the rest of the run once the host has loaded it (the host never
// unloads it), so such a thread never runs code that has gone.
#include "plugin/mailbox.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <thread>

namespace bonjour {

// A GUI object that receives events from the avahi thread.
class Sink {
public:
    virtual ~Sink() = default;
    // One event of the object's own, on a turn of the loop.
    virtual void Deliver(Event& e) = 0;
    // A turn of the loop that the object asked for (DaemonLink::Poke), for events of its own.
    virtual void Turn() {}
};

class DaemonLink : public std::enable_shared_from_this<DaemonLink> {
public:
    // The first answer of a new connection is waited for this long at most.
    static constexpr int kFirstAnswerMs = 500;
    // The avahi thread is waited for this long at most when the last control goes.
    static constexpr int kEndMs = 300;
    // Events raised per turn of the loop, at most: the window gets its turn in between.
    static constexpr int kEventsPerTurn = 64;

    // The running link, or a new one, whose thread starts to reach the daemon at once; null when
    // the host cannot watch a descriptor for it or no thread can be had.
    static std::shared_ptr<DaemonLink> Get();
    ~DaemonLink();
    DaemonLink(const DaemonLink&) = delete;
    DaemonLink& operator=(const DaemonLink&) = delete;

    // A new object, known by the number answered, and its end (what it wished goes).
    std::uint64_t Join(Sink& sink);
    void Leave(std::uint64_t object);
    // Changes what the object wishes for.
    void Want(std::uint64_t object, const std::function<void(Wish&)>& change);
    // Whether the daemon answers, as the avahi thread last saw it; the first question waits a
    // moment for the connection's first answer.
    bool DaemonUp();
    // A turn of the loop soon, for Turn.
    void Poke();

private:
    explicit DaemonLink(std::shared_ptr<Mailbox> box);
    static void Fired(void* user, int fd, int revents);
    void deliver();

    std::shared_ptr<Mailbox> box_;
    std::thread thread_;
    void* watch_ = nullptr;
    void (*freeWatch_)(void*) = nullptr;
    std::map<std::uint64_t, Sink*> sinks_;
    std::uint64_t next_ = 0;
    bool delivering_ = false;
    bool missed_ = false;  // woken while delivering
    bool waited_ = false;  // for the first answer
};

}  // namespace bonjour
