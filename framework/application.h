#pragma once
// The application object's side of the framework: the frame window that carries the single
// menu bar, application-level menu handlers, and the quit sequence.
#include <QMainWindow>
#include <QMdiArea>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <vector>

namespace fw {

class MenuBar;
class Window;

// The one frame window of the program: the only window the desktop sees. It carries the menu bar,
// and its client area holds every program window; closing it quits.
class Frame : public QMainWindow {
    Q_OBJECT
public:
    Frame();
    void Maximize();
    // Shows the frame, maximised, unless it is on screen already (a program window needs it).
    void EnsureShown();
    // The client area; program windows are its sub-windows, and their Top/Left are taken in the
    // coordinates of its viewport. It scrolls when the frame is smaller than what it holds.
    QMdiArea& Area() const { return *area_; }
    // True while the area scrolls its windows, all together, panels with their owners.
    bool Scrolling() const;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QMdiArea* area_;
};

class Application : public QObject {
    Q_OBJECT
public:
    Application();
    ~Application() override;

    // The registered application object, or nullptr before one exists.
    static Application* Current();

    // The framework events of the application object.
    virtual void Event_Open() {}
    virtual void Event_EnableMenuItems() {}
    virtual void Event_Close() {}
    // Answer true to cancel the quit.
    virtual bool Event_CancelClose() { return false; }
    // The run is ending without its display (the connection to it broke): what the quit does
    // that needs no display; nothing is drawn or shown any more, and the process ends after it.
    virtual void Event_DisplayLost() {}

    using MenuHandler = std::function<bool()>;
    void AddMenuHandler(const QString& item, MenuHandler handler);
    const MenuHandler* FindMenuHandler(const QString& item) const;

    // The menu bar the frame carries; set before the object is registered.
    void SetMenuBar(MenuBar* bar);

    Frame& FrameWindow();

    // Makes this the application object and installs the menu bar in the frame.
    void Register();

    // Raises Open once the event loop runs, runs the loop until quit, returns the exit status.
    int Run();

    // The quit sequence: the application's close request, every program window's close
    // request and close (hidden ones too), the application's close, then the loop ends.
    // Answers false when someone refused.
    bool Quit();
    bool Quitting() const { return quitting_; }

    // For a process that is being ended from inside the event loop by code that is not the
    // program's (Qt's X11 platform does so when the display connection breaks): raises the
    // application's DisplayLost once and answers true while its loop runs; false otherwise, and
    // the process ends as it would have. DisplayLost runs on the loop's thread only: asked from
    // another thread, it runs on the loop's next turn while the asking thread waits for it, at
    // most a few seconds (the loop's thread may be stuck, or waiting for the asking one); it
    // answers true after either, for the caller to end the process.
    static bool EndWithoutDisplay();

    // The program window the user activated last (never the frame); nullptr when none.
    Window* FrontWindow() const;

    // Functions run after the event loop, before the Qt application goes (in order).
    void AtFinalise(std::function<void()> f);
    void Finalise();

private:
    std::map<QString, MenuHandler> menuHandlers_;
    MenuBar* menuBar_ = nullptr;
    Frame* frame_ = nullptr;
    bool quitting_ = false;
    bool ended_ = false;
    std::vector<std::function<void()>> finalisers_;
};

}  // namespace fw
