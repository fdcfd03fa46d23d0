#pragma once
// What passes between the GUI thread and the plug-in's avahi thread, and the one lock that
// guards it.
//
// Every call into libavahi-client is made on the avahi thread (plugin/daemon.cpp): those calls
// are blocking D-Bus calls, each of which waits up to 25 s for a daemon that is stopped or busy.
// The program's entry points and the events raised to it run on the GUI thread
// (plugin/daemonlink.cpp, browser.cpp, publish.cpp), which answers every question from its own
// copy of the state and never waits on the avahi thread, but for the two bounded moments
// DaemonLink names (the first answer of a new connection, the end of the thread). The two threads
// meet only in the Mailbox:
// - the GUI thread writes what each of its objects wants (a search, a publication, or to be gone)
//   into `wishes` and wakes the avahi thread through `toDaemon`; only the latest wish of each
//   object counts, and an object that goes before the avahi thread has seen it leaves nothing
//   behind, so nothing piles up while the daemon stalls;
// - the avahi thread appends what the daemon reported to `events`, in order, and wakes the GUI
//   thread through `toGui`, a descriptor the host's event loop watches; the GUI thread takes the
//   events on later turns of its own loop and raises them to the program;
// - `daemonUp` and `answered` are the daemon's state as the avahi thread last saw it.
// `lock` guards all of it and is held only to copy in or out, never across a call into avahi or
// into the program. `events` holds kMaxEvents at most: when it is full the avahi thread waits
// for room (the daemon's reports wait on its socket meanwhile), never the GUI thread.
//
// Both threads hold the Mailbox (shared_ptr), so a thread left to end on its own after the quit
// never touches anything freed.
#include "plugin/logic.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace bonjour {

// What the accessors read of one found service.
struct FoundService {
    ServiceKey key;
    bool resolved = false;  // name, host name and addresses are known
    std::string name, hostName;
    std::vector<Bytes> addresses;
    bool hasTxt = false;
    Bytes txt;
};

// A service to advertise.
struct Announcement {
    std::string type, name;  // an empty name is the machine's host name
    std::uint16_t port = 0;
    Bytes txt;  // empty: no TXT record
};

// What one GUI object wants of the daemon now. Each change of what it wants comes with a new
// generation; the events of a search or publication carry its generation, so that the GUI object
// drops what belongs to one it no longer wants.
struct Wish {
    enum class Side { Search, Advert } side = Side::Search;
    std::uint64_t generation = 0;
    std::optional<std::string> search;          // the service type searched for; none: no search
    std::optional<Announcement> advert;         // what is advertised; none: nothing
    bool gone = false;                          // the object went: everything of it goes too
    bool changed = false;                       // not taken by the avahi thread yet
    bool known = false;                         // taken by the avahi thread at least once
};

struct Event {
    enum class Kind {
        Found,       // a service was reported (serial: this report, key)
        Removed,     // a service went (key)
        Resolved,    // report serial resolved (service: what the accessors read)
        DaemonGone,  // the daemon went away, or the search failed: every service it found is gone
        Published,   // the advertisement goes out
        Failed,      // the advertisement failed (error); nothing is advertised any more
    };
    Kind kind = Kind::Found;
    std::uint64_t object = 0;
    std::uint64_t generation = 0;
    std::uint64_t serial = 0;
    ServiceKey key;
    FoundService service;
    int error = 0;
};

struct Mailbox {
    Mailbox();
    ~Mailbox();
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    // Events waiting for the GUI thread, at most.
    static constexpr std::size_t kMaxEvents = 1024;

    // Wakes whoever watches fd; empties fd once woken.
    static void Wake(int fd);
    static void Drain(int fd);

    std::mutex lock;
    // Room in events, the first answer, the end of the avahi thread, the quit: every waiter
    // checks its own condition.
    std::condition_variable changed;
    std::map<std::uint64_t, Wish> wishes;
    std::deque<Event> events;
    bool quit = false;      // the GUI side has gone: the avahi thread ends
    bool answered = false;  // the first attempt to reach the daemon has ended, one way or the other
    bool daemonUp = false;  // the daemon answers
    bool ended = false;     // the avahi thread has let go of the daemon and ends

    int toDaemon = -1, toGui = -1;  // eventfds; -1 when they could not be made
};

}  // namespace bonjour
