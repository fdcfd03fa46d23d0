#pragma once
// A thread as program code sees it: Run starts a pass of the Run event beside the event loop,
// unless a pass is under way; the body gives the others their turn with Yield. The body runs
// preemptively: it must touch no widget and share its data with the main thread only under a
// lock or through atomics.
//
// The passes of one Thread run on one system thread, made at the first Run and kept until the
// Thread goes: a body run again and again in short bursts keeps what the system caches per thread
// (fonts among them) instead of building it anew each time.
//
// Whoever owns the data the body uses stops the body and calls Wait before that data goes; the
// destructor waits too, as a last resort.
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace fw {

class Thread : public QObject {
    Q_OBJECT
public:
    explicit Thread(QObject* parent = nullptr);
    ~Thread() override;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts a new pass of the Run event. Does nothing while a pass runs.
    void Run();
    // Whether a pass of the Run event is under way (started and not yet returned).
    bool IsRunning() const { return running_.load(std::memory_order_acquire); }
    // Waits until the pass under way, if any, has ended. Never call it from the body.
    void Wait();

    // Gives the processor to the other threads.
    static void Yield();

    // The Run event, when no subclass overrides Event_Run.
    std::function<void()> onRun;

protected:
    virtual void Event_Run();

private:
    void loop();

    std::thread thread_;
    std::mutex lock_;
    std::condition_variable wake_;  // a pass was asked for, or the thread is to end
    std::condition_variable done_;  // a pass has ended
    bool pending_ = false;
    bool quit_ = false;
    std::atomic<bool> running_{false};
};

}  // namespace fw
