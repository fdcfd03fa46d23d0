#include "plugin/loop.h"

#include "plugin/runtime.h"

#include <avahi-common/timeval.h>

#include <sys/time.h>

#include <memory>

struct AvahiWatch {
    void* host = nullptr;
    int fd = -1;
    AvahiWatchEvent events{};
    AvahiWatchEvent happened{};
    AvahiWatchCallback callback = nullptr;
    void* user = nullptr;
    int running = 0;  // inside its callback
    bool freed = false;
};

struct AvahiTimeout {
    void* host = nullptr;
    AvahiTimeoutCallback callback = nullptr;
    void* user = nullptr;
    int running = 0;
    bool freed = false;
};

namespace bonjour {

namespace {

bool haveLoop() {
    for (Routine r : {Routine::RuntimeWatchSocket, Routine::RuntimeWatchSocketUpdate, Routine::RuntimeWatchSocketFree,
                      Routine::RuntimeTimerNew, Routine::RuntimeTimerSet, Routine::RuntimeTimerFree})
        if (!Lookup(r)) return false;
    return true;
}

// Milliseconds from now to the absolute time tv (Avahi's clock is gettimeofday); -1 for none.
std::int32_t delayTo(const struct timeval* tv) {
    if (!tv) return -1;
    const AvahiUsec us = -avahi_age(tv);  // positive while tv lies ahead
    if (us <= 0) return 0;
    const AvahiUsec ms = (us + 999) / 1000;
    return ms > INT32_MAX ? INT32_MAX : std::int32_t(ms);
}

void watchFired(void* user, int fd, int revents) {
    auto* w = static_cast<AvahiWatch*>(user);
    if (w->freed) return;
    ++w->running;
    w->happened = AvahiWatchEvent(revents);
    w->callback(w, fd, w->happened, w->user);
    w->happened = AvahiWatchEvent(0);
    if (--w->running == 0 && w->freed) delete w;
}

AvahiWatch* watchNew(const AvahiPoll*, int fd, AvahiWatchEvent events, AvahiWatchCallback callback, void* user) {
    auto w = std::make_unique<AvahiWatch>();
    w->fd = fd;
    w->events = events;
    w->callback = callback;
    w->user = user;
    auto watch = Find<PluginWatchSocketFn>(Routine::RuntimeWatchSocket);
    w->host = watch ? watch(fd, int(events), watchFired, w.get()) : nullptr;
    if (!w->host) return nullptr;
    return w.release();
}

void watchUpdate(AvahiWatch* w, AvahiWatchEvent events) {
    w->events = events;
    if (auto update = Find<PluginWatchSocketUpdateFn>(Routine::RuntimeWatchSocketUpdate)) update(w->host, int(events));
}

AvahiWatchEvent watchGetEvents(AvahiWatch* w) { return w->happened; }

void watchFree(AvahiWatch* w) {
    if (auto release = Find<PluginWatchSocketFreeFn>(Routine::RuntimeWatchSocketFree)) release(w->host);
    w->freed = true;
    if (w->running == 0) delete w;
}

void timeoutFired(void* user) {
    auto* t = static_cast<AvahiTimeout*>(user);
    if (t->freed) return;
    ++t->running;
    t->callback(t, t->user);
    if (--t->running == 0 && t->freed) delete t;
}

void timeoutUpdate(AvahiTimeout* t, const struct timeval* tv) {
    if (auto set = Find<PluginTimerSetFn>(Routine::RuntimeTimerSet)) set(t->host, delayTo(tv));
}

AvahiTimeout* timeoutNew(const AvahiPoll*, const struct timeval* tv, AvahiTimeoutCallback callback, void* user) {
    auto t = std::make_unique<AvahiTimeout>();
    t->callback = callback;
    t->user = user;
    auto make = Find<PluginTimerNewFn>(Routine::RuntimeTimerNew);
    t->host = make ? make(timeoutFired, t.get()) : nullptr;
    if (!t->host) return nullptr;
    timeoutUpdate(t.get(), tv);
    return t.release();
}

void timeoutFree(AvahiTimeout* t) {
    if (auto release = Find<PluginTimerFreeFn>(Routine::RuntimeTimerFree)) release(t->host);
    t->freed = true;
    if (t->running == 0) delete t;
}

const AvahiPoll kLoop = {nullptr, watchNew, watchUpdate, watchGetEvents, watchFree, timeoutNew, timeoutUpdate, timeoutFree};

// The time ms milliseconds from now (0: the next turn), as Avahi's timeouts take it.
struct timeval fromNow(int ms) {
    struct timeval tv;
    avahi_elapse_time(&tv, unsigned(ms), 0);
    return tv;
}

AvahiTimeout* timer(const AvahiPoll* loop, int ms, AvahiTimeoutCallback cb, void* self) {
    const struct timeval tv = fromNow(ms);
    return loop->timeout_new(loop, &tv, cb, self);
}

void rearm(const AvahiPoll* loop, AvahiTimeout* t, int ms) {
    const struct timeval tv = fromNow(ms);
    loop->timeout_update(t, &tv);
}

}  // namespace

const AvahiPoll* HostLoop() { return haveLoop() ? &kLoop : nullptr; }

Later::Later() = default;

Later::~Later() {
    if (now_) kLoop.timeout_free(now_);
    if (delayed_) kLoop.timeout_free(delayed_);
}

void Later::Post(std::function<void()> work) {
    const AvahiPoll* loop = HostLoop();
    if (!loop) return;
    if (!now_) now_ = timer(loop, 0, Fire, this);
    else if (queue_.empty()) rearm(loop, now_, 0);
    if (now_) queue_.push_back(std::move(work));
}

void Later::After(int ms, std::function<void()> work) {
    const AvahiPoll* loop = HostLoop();
    if (!loop) return;
    delayedWork_ = ms < 0 ? nullptr : std::move(work);
    if (ms < 0) {
        if (delayed_) loop->timeout_update(delayed_, nullptr);
        return;
    }
    if (!delayed_) delayed_ = timer(loop, ms, FireDelayed, this);
    else rearm(loop, delayed_, ms);
}

// One piece of work per turn at most, each from a fresh turn; the object may be gone after any
// of them, so nothing of it is touched once the work has run.
void Later::Fire(AvahiTimeout*, void* self) {
    auto* later = static_cast<Later*>(self);
    if (later->queue_.empty()) return;
    std::function<void()> work = std::move(later->queue_.front());
    later->queue_.pop_front();
    if (!later->queue_.empty()) rearm(&kLoop, later->now_, 0);
    work();
}

void Later::FireDelayed(AvahiTimeout*, void* self) {
    auto* later = static_cast<Later*>(self);
    std::function<void()> work = std::move(later->delayedWork_);
    later->delayedWork_ = nullptr;
    if (work) work();
}

}  // namespace bonjour
