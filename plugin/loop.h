#pragma once
// Avahi's main-loop interface over the host's event loop: every Avahi callback arrives on the
// program's main thread, between its other events.
#include <avahi-common/watch.h>

#include <deque>
#include <functional>

namespace bonjour {

// The loop, or null when the host lacks one of its routines (then the daemon cannot be reached).
const AvahiPoll* HostLoop();

// Runs work on a later turn of the loop, never from inside the call that posts it. What is still
// waiting when the object goes is dropped.
class Later {
public:
    Later();
    ~Later();
    Later(const Later&) = delete;
    Later& operator=(const Later&) = delete;

    void Post(std::function<void()> work);
    // Runs once after ms milliseconds, replacing what was set before; a negative ms cancels.
    void After(int ms, std::function<void()> work);

private:
    static void Fire(AvahiTimeout* t, void* self);
    static void FireDelayed(AvahiTimeout* t, void* self);
    AvahiTimeout* now_ = nullptr;
    AvahiTimeout* delayed_ = nullptr;
    std::deque<std::function<void()>> queue_;
    std::function<void()> delayedWork_;
};

}  // namespace bonjour
