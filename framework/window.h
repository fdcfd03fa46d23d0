#pragma once
// Windows as program code sees them. The desktop sees one window, the frame; every program window
// lives in the frame's client area as a sub-window (a panel glued to another window too, in a
// sub-window without title bar or frame). Program code subclasses fw::Window, builds its controls
// in its constructor and handles the Event_ methods. A window is reached through fw::Instance<T>()
// (wrapped in an accessor named like the window), which creates the single instance on first use
// and runs its Open event. Closing a window destroys it: the next accessor call makes a new one.
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

namespace fw {

class Window;

namespace detail {
// The frame's area reports its active sub-window here.
void NoteActivated(QMdiSubWindow* sub);
// When the active window goes: the window activated before it that is still on screen, if any,
// to take its place.
QMdiSubWindow* ActivatedBefore(QMdiArea& area, QMdiSubWindow* gone);
// The area came back on screen with its frame (restored from minimised): the window activated
// last that is on screen is the active one again.
void AreaShown(QMdiArea& area);
// Keeps the modal dialog frames above every other window of the area.
void Restack();
// Keeps the windows that open centred in the area centred while it changes size, until they
// are moved.
void AreaResized();
// Lets assistive tools see the program windows' frames as they are on screen.
void InstallAccessibility();
// The window that keeps the active state while it waits for its answer (a message box), or
// nullptr; answers the one it replaces.
Window* SetModal(Window* w);
// That window, while one waits.
Window* Modal();
}  // namespace detail

class Window : public QWidget {
    Q_OBJECT
public:
    enum class Kind {
        Document,  // a sub-window of the frame's area, with its title bar and boxes
        // A sub-window without title bar, frame or boxes, placed by its owner (MenuWindow()):
        // never the area's active window (the keyboard may be in it, the owner stays active),
        // never closed from the area's side.
        Panel,
    };

    // Where a window comes up the first time it shows, unless its own code placed it before.
    enum class Placement {
        // The platform's default: where it covers nothing on screen when the area has room for
        // that; else where it covers least of the windows placed by their own code and their
        // panels, then least of the others.
        Default,
        // Centred in the area.
        Centred,
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
    // A window of fixed size takes the new height or width at once, its frame with it.
    void SetHeight(int h);
    void SetWidth(int w);

    // The title bar's boxes and the kind of frame: Qt's window hints (no maximise hint means no
    // maximise box). The type Qt::Dialog makes a modal dialog frame: it stays above the other
    // windows and opens centred in the area; other types make a document frame.
    void SetWindowFlags(Qt::WindowFlags flags);
    // Set after SetWindowFlags, which sets the frame's own.
    void SetPlacement(Placement p) { placement_ = p; }

    // What the area moves, shows and stacks for this window: its sub-window, or the window itself
    // for a panel (and when no frame exists, as in tests of bare windows).
    QWidget& Host();
    const QWidget& Host() const;
    // The window's frame around its content inside the area (the sub-window's geometry).
    QRect FrameGeometry() const;
    // Moves and sizes the content at once, its frame with it (within the content's own size
    // limits); the position is the content's in the area, as for Top and Left.
    void SetContentGeometry(const QRect& content);

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
    friend void detail::NoteActivated(QMdiSubWindow* sub);
    friend void detail::Restack();
    friend QMdiSubWindow* detail::ActivatedBefore(QMdiArea& area, QMdiSubWindow* gone);
    friend void detail::AreaResized();
    void fitHost();
    void reveal();
    QPoint contentPos() const;
    void moveContent(QPoint to);
    void moveInsideArea();
    void placeOnOpening();
    QPoint centredPlace(QSize size) const;
    QPoint defaultPlace(QSize size) const;
    void handActivationToOwner();
    void ownerTakesActivation(QWidget* keep);

    // The window's frame in the area, or nullptr (none, or it is being destroyed).
    QMdiSubWindow* sub() const;

    // Held as a plain object: while the sub-window is being destroyed it is no longer a
    // QMdiSubWindow, and only a plain QObject pointer may look at it.
    QPointer<QObject> subObject_;
    QMetaObject::Connection panelFocus_;
    std::map<QString, MenuHandler> menuHandlers_;
    bool closed_ = false;
    bool closing_ = false;
    bool visibleAtOpen_ = true;
    bool panel_ = false;
    // A modal dialog frame stays above the other windows.
    bool above_ = false;
    Placement placement_ = Placement::Default;
    // Its own code has given the window a position: no placement moves it.
    bool positioned_ = false;
    // Placed once; where, so that a window nobody moved since is placed again when it shows again.
    bool placed_ = false;
    QRect placedAt_;
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
