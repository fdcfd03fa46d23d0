#include "framework/application.h"

#include "framework/guard.h"
#include "framework/menu.h"
#include "framework/msgbox.h"
#include "framework/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fw {

namespace {

Application* g_current = nullptr;
int g_signalFds[2] = {-1, -1};

// What another thread's exit() may read while the loop runs: whether it runs, and on which thread.
std::atomic<bool> g_looping{false};
std::atomic<std::thread::id> g_loopThread{};

// Another thread's exit() waits here for the loop's thread to have run the display-lost part. It is
// never destroyed: a thread may still wait on it while the process ends.
struct HandOver {
    std::mutex lock;
    std::condition_variable done;
    bool ended = false;
};
HandOver& handOver() {
    static auto* h = new HandOver;
    return *h;
}
// How long another thread's exit() waits for the loop's thread before it ends the process without
// the save: that thread may be stuck, or waiting for the very thread that is ending.
constexpr auto kHandOverWait = std::chrono::seconds(10);

void onSignal(int) {
    const char c = 1;
    // Only an async-signal-safe write here; the event loop turns it into the quit.
    [[maybe_unused]] ssize_t n = ::write(g_signalFds[1], &c, 1);
}

}  // namespace

namespace {

// The frame's client area, which tells when it is scrolling its windows.
class ScrollingArea : public QMdiArea {
public:
    using QMdiArea::QMdiArea;
    bool scrolling = false;

protected:
    void scrollContentsBy(int dx, int dy) override {
        scrolling = true;
        QMdiArea::scrollContentsBy(dx, dy);
        scrolling = false;
    }
    void showEvent(QShowEvent* e) override {
        QMdiArea::showEvent(e);
        detail::AreaShown(*this);
    }
    bool viewportEvent(QEvent* e) override {
        const bool handled = QMdiArea::viewportEvent(e);
        if (e->type() == QEvent::Resize) detail::AreaResized();
        return handled;
    }
};

}  // namespace

Frame::Frame() : area_(new ScrollingArea(this)) {
    setWindowTitle(QStringLiteral("Quorril"));
    area_->setObjectName(QStringLiteral("FrameArea"));
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);
    connect(area_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* sub) { detail::NoteActivated(sub); });
    detail::InstallAccessibility();
}

bool Frame::Scrolling() const { return static_cast<const ScrollingArea*>(area_)->scrolling; }

void Frame::Maximize() { showMaximized(); }

void Frame::EnsureShown() {
    if (!isVisible()) Maximize();
}

void Frame::closeEvent(QCloseEvent* e) {
    e->ignore();
    // A message box waiting for its answer holds the frame, as any modal dialog does.
    if (MsgBoxWaiting()) return;
    if (Application* app = Application::Current()) app->Quit();
}

Application::Application() { g_current = this; }

Application::~Application() {
    delete frame_;
    if (g_current == this) g_current = nullptr;
}

Application* Application::Current() { return g_current; }

void Application::AddMenuHandler(const QString& item, MenuHandler handler) { menuHandlers_[item] = std::move(handler); }

const Application::MenuHandler* Application::FindMenuHandler(const QString& item) const {
    auto it = menuHandlers_.find(item);
    return it == menuHandlers_.end() ? nullptr : &it->second;
}

void Application::SetMenuBar(MenuBar* bar) { menuBar_ = bar; }

Frame& Application::FrameWindow() {
    if (!frame_) frame_ = new Frame();
    return *frame_;
}

void Application::Register() {
    g_current = this;
    if (menuBar_) menuBar_->Install(FrameWindow().menuBar());
}

int Application::Run() {
    // A write on a closed connection must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    if (g_signalFds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) == 0) {
        ::fcntl(g_signalFds[1], F_SETFL, O_NONBLOCK);
        auto* notifier = new QSocketNotifier(g_signalFds[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            char buf[16];
            [[maybe_unused]] ssize_t n = ::read(g_signalFds[0], buf, sizeof buf);
            Quit();
        });
        struct sigaction sa = {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGHUP, &sa, nullptr);
    }
    QTimer::singleShot(0, this, [this] { Guard("App.Open", [this] { Event_Open(); }); });
    g_loopThread = std::this_thread::get_id();
    g_looping = true;
    const int status = QApplication::exec();
    g_looping = false;
    return status;
}

bool Application::EndWithoutDisplay() {
    if (!g_looping) return false;
    if (std::this_thread::get_id() != g_loopThread.load()) {
        // The store and the windows belong to the loop's thread: the display-lost part runs there,
        // on the loop's next turn (a message box's loop turns too), while this thread waits.
        HandOver& h = handOver();
        QCoreApplication* qt = QCoreApplication::instance();
        if (qt && QMetaObject::invokeMethod(
                      qt,
                      [] {
                          EndWithoutDisplay();
                          HandOver& h = handOver();
                          const std::lock_guard<std::mutex> hold(h.lock);
                          h.ended = true;
                          h.done.notify_all();
                      },
                      Qt::QueuedConnection)) {
            std::unique_lock<std::mutex> hold(h.lock);
            h.done.wait_for(hold, kHandOverWait, [&h] { return h.ended; });
        }
        return true;
    }
    Application* app = g_current;
    if (!app) return false;
    if (!app->ended_) {
        app->ended_ = true;
        app->quitting_ = true;
        Guard("App.DisplayLost", [app] { app->Event_DisplayLost(); });
    }
    return true;
}

bool Application::Quit() {
    if (quitting_) return true;
    quitting_ = true;
    if (GuardValue("App.CancelClose", false, [this] { return Event_CancelClose(); })) {
        quitting_ = false;
        return false;
    }
    // Hidden windows get their close request too: some store their state when they close.
    // A close handler may create a window; a few rounds reach those as well.
    for (int round = 0; round < 4; ++round) {
        std::vector<QPointer<Window>> windows;
        for (Window* w : AllWindows())
            if (!w->IsClosed()) windows.emplace_back(w);
        if (windows.empty()) break;
        for (auto& w : windows) {
            if (!w || w->IsClosed()) continue;
            w->Close();
            if (w && !w->IsClosed()) {
                quitting_ = false;
                return false;
            }
        }
    }
    Guard("App.Close", [this] { Event_Close(); });
    QCoreApplication::exit(0);
    return true;
}

Window* Application::FrontWindow() const { return FrontProgramWindow(); }

void Application::AtFinalise(std::function<void()> f) { finalisers_.push_back(std::move(f)); }

void Application::Finalise() {
    auto fs = std::move(finalisers_);
    finalisers_.clear();
    for (auto& f : fs) Guard("Finalise", f);
    DestroyAllWindows();
}

}  // namespace fw
