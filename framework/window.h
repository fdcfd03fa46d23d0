#pragma once
// Windows as program code sees them. The desktop sees one window, the frame; every program window
// lives in the frame's client area as a sub-window (or, for panels glued to another window, as a
// bare panel in that area). Program code subclasses fw::Window, builds its controls in its
// constructor and handles the Event_ methods. A window is reached through fw::Instance<T>()
// (wrapped in an accessor named like the window), which creates the single instance on first use
// and runs its Open event. Closing a window destroys it: the next accessor call makes a new one.
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QMdiSubWindow;

namespace fw {

class Window : public QWidget {
    Q_OBJECT
public:
    enum class Kind {
        Document,  // a sub-window of the frame's area, with its title bar and boxes
        Panel,     // a bare panel in the area, without title bar or boxes, placed by its owner
    };

    explicit Window(Kind kind = Kind::Document);
    ~Window() override;

    // Makes the window visible and brings it to the front.
    void Show();
    // The close request (Event_CancelClose may refuse it), then Event_Close, then the window
    // is gone. Does nothing on a window that is already closed.
    void Close();
    bool IsClosed() const { return closed_; }

    // Whether the window is on screen (a minimised window still is).
    bool Visible() const;
    void SetVisible(bool v);
    bool Minimised() const;
    // The content's position in the frame's area.
    int Top() const;
    int Left() const;
    void SetTop(int top);
    void SetLeft(int left);
    int Width() const { return width(); }
    int Height() const { return height(); }
    // A window of fixed size takes the new height at once, its frame with it.
    void SetHeight(int h);

    // The title bar's boxes and the kind of frame: Qt's window hints (the window type is ignored;
    // no maximise hint means no maximise box).
    void SetWindowFlags(Qt::WindowFlags flags);

    // What the area moves, shows and stacks for this window: its sub-window, or the window itself
    // for a panel (and when no frame exists, as in tests of bare windows).
    QWidget& Host();
    const QWidget& Host() const;
    // The window's frame around its content inside the area (the sub-window's geometry).
    QRect FrameGeometry() const;

    // Controls by name (QObject::objectName), anywhere below this window.
    template <class T>
    T* Control(const QString& name) const { return findChild<T*>(name); }

    // Menu handlers bound by item name; answered true means the command was handled.
    using MenuHandler = std::function<bool()>;
    void AddMenuHandler(const QString& item, MenuHandler handler);
    const MenuHandler* FindMenuHandler(const QString& item) const;

    // The window that counts as this one for the menus (a drawer answers its parent).
    virtual Window* MenuWindow() { return this; }

    // The framework's events, in the order the framework raises them.
    virtual void Event_Open() {}
    // appQuitting is true during the application's quit. Answer true to keep the window open.
    virtual bool Event_CancelClose(bool appQuitting) { (void)appQuitting; return false; }
    virtual void Event_Close() {}
    // key is the typed character (or a one-character text for special keys); true consumes it.
    virtual bool Event_KeyDown(const QString& key) { (void)key; return false; }
    virtual void Event_EnableMenuItems() {}
    virtual void AddMenuHandlers() {}

    // Run by fw::Instance right after construction: binds the menu handlers, opens the container
    // controls, raises Open and shows the window unless it was made hidden or show is false.
    void RunOpen(bool show = true);

    // Whether the window shows itself once opened; a window that starts hidden sets it false.
    void SetVisibleAtOpen(bool v) { visibleAtOpen_ = v; }

protected:
    // Return presses the default push button and Escape the cancel one, when one is on screen
    // and enabled; other keys go to Event_KeyDown.
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    friend void DestroyAllWindows();
    void fitHost();
    void reveal();
    QPoint contentPos() const;
    void moveContent(QPoint to);
    void moveInsideArea();
    void keepInArea();

    QPointer<QMdiSubWindow> sub_;
    // The same, for the destructor: while the sub-window itself is being destroyed it is no
    // longer a QMdiSubWindow, and only a plain QObject pointer may look at it.
    QPointer<QObject> subObject_;
    std::map<QString, MenuHandler> menuHandlers_;
    bool closed_ = false;
    bool closing_ = false;
    bool visibleAtOpen_ = true;
    bool placed_ = false;
};

// Every live program window, in creation order.
std::vector<Window*> AllWindows();
// Destroys every program window now (finalisation, and between tests). A window that goes
// with its parent is not destroyed twice.
void DestroyAllWindows();
// The program window activated last that is still on screen and not minimised (as the menus
// count it), or nullptr.
Window* FrontProgramWindow();

namespace detail {
template <class T>
QPointer<T>& Slot() {
    static QPointer<T> instance;
    return instance;
}
// The frame's area reports its active sub-window here.
void NoteActivated(QMdiSubWindow* sub);
}  // namespace detail

// Whether T's single instance exists right now (a closed one does not).
template <class T>
bool Exists() {
    QPointer<T>& p = detail::Slot<T>();
    return p && !p->IsClosed();
}

// The single instance of T, created (and opened) on first use.
template <class T>
T& Instance() {
    QPointer<T>& p = detail::Slot<T>();
    if (!p || p->IsClosed()) {
        p = new T();
        p->RunOpen();
    }
    return *p;
}

// Closes T's single instance. One that does not exist is created and opened without ever
// appearing on screen, then closed, so its close handler still runs.
template <class T>
void CloseInstance() {
    QPointer<T>& p = detail::Slot<T>();
    if (!p || p->IsClosed()) {
        p = new T();
        p->RunOpen(false);
    }
    p->Close();
}

}  // namespace fw
