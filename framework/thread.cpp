#include "framework/thread.h"

#include "framework/guard.h"

namespace fw {

Thread::Thread(QObject* parent) : QObject(parent) {}

Thread::~Thread() {
    {
        std::lock_guard<std::mutex> g(lock_);
        quit_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void Thread::Run() {
    {
        std::lock_guard<std::mutex> g(lock_);
        if (running_.load(std::memory_order_relaxed) || quit_) return;
        running_.store(true, std::memory_order_release);
        pending_ = true;
    }
    if (!thread_.joinable()) thread_ = std::thread([this] { loop(); });
    wake_.notify_one();
}

void Thread::Wait() {
    std::unique_lock<std::mutex> g(lock_);
    done_.wait(g, [this] { return !running_.load(std::memory_order_relaxed); });
}

void Thread::Yield() { std::this_thread::yield(); }

void Thread::Event_Run() {
    if (onRun) onRun();
}

void Thread::loop() {
    std::unique_lock<std::mutex> g(lock_);
    for (;;) {
        wake_.wait(g, [this] { return pending_ || quit_; });
        if (!pending_) return;
        pending_ = false;
        g.unlock();
        Guard("Thread.Run", [this] { Event_Run(); });
        g.lock();
        running_.store(false, std::memory_order_release);
        done_.notify_all();
    }
}

}  // namespace fw
