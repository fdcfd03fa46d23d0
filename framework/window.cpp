// A program window's life: its frame in the area, showing and hiding it, its geometry, its
// opening and closing, its events, and the default and cancel keys. Where it opens is in
// placement.cpp, which window is active in activation.cpp, its frame in subwindow.cpp.
#include "framework/window.h"

#include "framework/application.h"
#include "framework/buttons.h"
#include "framework/container.h"
#include "framework/guard.h"
#include "framework/subwindow.h"
#include "framework/window_internal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <vector>

namespace fw {

namespace detail {

std::vector<Window*>& Registry() {
    static std::vector<Window*> r;
    return r;
}

}  // namespace detail

namespace {

Frame* frame() {
    Application* app = Application::Current();
    return app ? &app->FrameWindow() : nullptr;
}

}  // namespace

std::vector<Window*> AllWindows() { return detail::Registry(); }

void DestroyAllWindows() {
    std::vector<QPointer<Window>> windows;
    for (Window* w : detail::Registry()) windows.emplace_back(w);
    for (auto& w : windows) {
        if (!w) continue;
        if (QMdiSubWindow* s = w->sub()) {
            delete s;  // takes its content with it
        } else {
            delete w.data();
        }
    }
}

Window::Window(Kind kind) : QWidget(nullptr), panel_(kind == Kind::Panel) {
    detail::Registry().push_back(this);
    Frame* f = frame();
    if (!f) return;  // a bare top-level window, for code that runs without an application
    QMdiArea& area = f->Area();
    auto* s = new detail::SubWindow(panel_);
    s->setWidget(this);
    s->setAttribute(Qt::WA_DeleteOnClose, false);
    area.addSubWindow(s);
    subObject_ = s;
    s->hide();
    s->installEventFilter(this);
    detail::DropSystemMenuKeys(s);
    if (panel_) {
        // Keyboard focus inside a panel would otherwise make it the active sub-window: the
        // owner stays the active one while the user types in its panel.
        // The slot is Qt's private one, reached by its name: a Qt that renames it would leave the
        // panel taking the active state unnoticed, so that stops the program at once.
        if (!QObject::disconnect(qApp, SIGNAL(focusChanged(QWidget*, QWidget*)), s, SLOT(_q_processFocusChanged(QWidget*, QWidget*))))
            qFatal("fw::Window: cannot detach a panel's sub-window from QApplication::focusChanged "
                   "(QMdiSubWindow's private slot _q_processFocusChanged is missing in this Qt)");
        // It makes its owner the active window instead, once the focus change is over, and the
        // control keeps the keyboard. (When the area itself made the panel active, in its turn
        // through the windows, handActivationToOwner gives the owner the keyboard as well.)
        panelFocus_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            QMdiSubWindow* s = sub();
            if (!now || !isAncestorOf(now) || !s || !s->mdiArea() || s->mdiArea()->activeSubWindow() == s) return;
            QMetaObject::invokeMethod(this, [this, keep = QPointer<QWidget>(now)] {
                if (keep && keep->hasFocus()) ownerTakesActivation(keep);
            }, Qt::QueuedConnection);
        });
        // Its sub-window activates itself when its content shows: the panel's content keeps
        // that to itself.
        installEventFilter(this);
        // A click beside its controls leaves the keyboard where it was.
        s->setFocusPolicy(Qt::NoFocus);
        // No frame of its own paints the panel's background.
        setAutoFillBackground(true);
    } else {
        s->setStyle(detail::SubWindowStyle());
    }
}

Window::~Window() {
    // The panel's controls still go after this, and each hands the keyboard on as it goes.
    QObject::disconnect(panelFocus_);
    auto& r = detail::Registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    // A window deleted on its own leaves its empty sub-window behind; one deleted with its
    // sub-window finds the deletion cancelled with the sub-window's own end.
    if (subObject_) subObject_->deleteLater();
}

// Looked at through a plain object pointer: while the sub-window is being destroyed it is no
// longer a QMdiSubWindow, and then the window has none.
QMdiSubWindow* Window::sub() const { return qobject_cast<QMdiSubWindow*>(subObject_.data()); }

QWidget& Window::Host() {
    QMdiSubWindow* s = sub();
    return s ? static_cast<QWidget&>(*s) : *this;
}
const QWidget& Window::Host() const {
    const QMdiSubWindow* s = sub();
    return s ? static_cast<const QWidget&>(*s) : *this;
}

QRect Window::FrameGeometry() const {
    const QMdiSubWindow* s = sub();
    return s ? s->geometry() : frameGeometry();
}

void Window::fitHost() {
    QMdiSubWindow* s = sub();
    if (!s) return;
    if (QLayout* l = s->layout()) l->activate();
    s->adjustSize();
}


// Puts the window on screen (the frame first), restored when it was minimised, without changing
// which window is active.
void Window::reveal() {
    QMdiSubWindow* s = sub();
    if (Frame* f = frame(); f && s) f->EnsureShown();
    const bool opening = s && s->isHidden();
    QWidget::show();
    if (!s) return;
    fitHost();
    if (opening) placeOnOpening();
    if (s->isMinimized()) {
        s->showNormal();
    } else {
        s->show();
    }
}

void Window::Show() {
    if (closed_) return;
    reveal();
    if (QMdiSubWindow* s = sub()) {
        if (QMdiArea* area = s->mdiArea(); area && !panel_) area->setActiveSubWindow(s);
        s->raise();
    } else {
        raise();
        if (isWindow()) activateWindow();
    }
    // The platform may activate later or not at all (offscreen); the menus follow Show at once.
    detail::MarkFront(this);
}

void Window::SetVisible(bool v) {
    if (closed_) return;
    if (v) {
        reveal();
        detail::MarkFront(this);
    } else {
        Host().hide();
    }
}

bool Window::Visible() const { return Host().isVisible(); }

bool Window::Minimised() const {
    const QMdiSubWindow* s = sub();
    return s && s->isMinimized();
}

void Window::SetWindowFlags(Qt::WindowFlags flags) {
    QMdiSubWindow* s = sub();
    if (s && panel_) return;  // a panel has no title bar to carry boxes
    const bool dialog = (flags & Qt::WindowType_Mask) == Qt::Dialog;
    above_ = dialog;
    placement_ = dialog ? Placement::Centred : Placement::Default;
    if (s) {
        const bool shown = s->isVisible();
        Qt::WindowFlags hints = flags & ~Qt::WindowType_Mask;
        // A sub-window draws its close box only along with its system menu.
        if (hints & Qt::WindowCloseButtonHint) hints |= Qt::WindowSystemMenuHint;
        s->setWindowFlags(Qt::SubWindow | hints);
        detail::DropSystemMenuKeys(s);
        if (shown) s->show();
    } else {
        setWindowFlags(flags);
    }
}

// Top and Left are those of the content, as program code places windows by their content.
QPoint Window::contentPos() const {
    if (const QMdiSubWindow* s = sub()) return s->pos() + mapTo(s, QPoint());
    return parentWidget() ? pos() : geometry().topLeft();
}

void Window::moveContent(QPoint to) {
    positioned_ = true;
    if (QMdiSubWindow* s = sub()) {
        fitHost();
        s->move(to - mapTo(s, QPoint()));
    } else if (parentWidget()) {
        move(to);
    } else {
        setGeometry(QRect(to, geometry().size()));
    }
}

void Window::SetContentGeometry(const QRect& content) {
    positioned_ = true;
    QMdiSubWindow* s = sub();
    if (!s) {
        setGeometry(content);
        return;
    }
    // The frame keeps its borders around the new content.
    fitHost();
    const QPoint inset = mapTo(s, QPoint());
    const QSize borders = s->size() - size();
    s->setGeometry(QRect(content.topLeft() - inset, content.size() + borders));
}

int Window::Top() const { return contentPos().y(); }
int Window::Left() const { return contentPos().x(); }
void Window::SetTop(int top) { moveContent(QPoint(Left(), top)); }
void Window::SetLeft(int left) { moveContent(QPoint(left, Top())); }

void Window::SetHeight(int h) {
    const QMdiSubWindow* s = sub();
    const bool inside = s && s->parentWidget() && s->parentWidget()->rect().contains(s->geometry());
    setFixedHeight(h);
    fitHost();
    // A window that grows keeps its new part on screen, as a window in the area always was.
    if (inside) moveInsideArea();
}

void Window::SetWidth(int w) {
    const QMdiSubWindow* s = sub();
    const bool inside = s && s->parentWidget() && s->parentWidget()->rect().contains(s->geometry());
    setFixedWidth(w);
    fitHost();
    if (inside) moveInsideArea();
}

void Window::AddMenuHandler(const QString& item, MenuHandler handler) { menuHandlers_[item] = std::move(handler); }

const Window::MenuHandler* Window::FindMenuHandler(const QString& item) const {
    auto it = menuHandlers_.find(item);
    return it == menuHandlers_.end() ? nullptr : &it->second;
}

void Window::RunOpen(bool show) {
    Guard("Window.AddMenuHandlers", [this] { AddMenuHandlers(); });
    // The controls open before their window.
    OpenControls(this);
    Guard("Window.Open", [this] { Event_Open(); });
    if (show && visibleAtOpen_ && !closed_) Show();
}

void Window::Close() {
    if (closed_ || closing_) return;
    closing_ = true;
    Application* app = Application::Current();
    const bool quitting = app && app->Quitting();
    const bool refused = GuardValue("Window.CancelClose", false, [&] { return Event_CancelClose(quitting); });
    closing_ = false;
    if (refused) return;
    closed_ = true;
    Guard("Window.Close", [this] { Event_Close(); });
    Host().hide();
    Host().deleteLater();
}

void Window::closeEvent(QCloseEvent* e) {
    // Qt's own close goes through the same request as Close().
    e->ignore();
    Close();
}

bool Window::eventFilter(QObject* o, QEvent* e) {
    if (o == this && panel_ && e->type() == QEvent::Show) return true;
    // A click on the panel beside its controls (they take their own) makes its owner active.
    if (o == this && panel_ && e->type() == QEvent::MouseButtonPress) ownerTakesActivation(nullptr);
    // The sub-window is compared as a plain object: it also sends events while it is being
    // destroyed, when it is no longer one.
    if (o == subObject_.data()) {
        switch (e->type()) {
        case QEvent::Close:
            // The sub-window's close box asks the window, which may refuse; a panel is closed by
            // its owner only.
            e->ignore();
            if (!panel_) Close();
            return true;
        case QEvent::Show:
        case QEvent::ZOrderChange:
            detail::Restack();
            break;
        case QEvent::Hide:
            // A window that goes while active (closed, or hidden by its code) leaves the window
            // beneath it, the one activated before it, active, as on a desktop: at once, before
            // the area picks one in an order of its own and brings that one to the front.
            // Only when the sub-window itself is hidden: the frame minimised by the window manager
            // (a spontaneous hide) or hidden by the program (its ancestor's hide) takes every
            // window off screen together, and each keeps its place in the order.
            if (QMdiSubWindow* s = sub(); s && !panel_ && !e->spontaneous() && s->isHidden() && s->mdiArea() &&
                                          s->mdiArea()->activeSubWindow() == s)
                if (QMdiSubWindow* next = detail::ActivatedBefore(*s->mdiArea(), s)) s->mdiArea()->setActiveSubWindow(next);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(o, e);
}

namespace {

// The default (or cancel) button the user sees and may press: a window may hold several groups
// with one each, of which only one is on screen at a time.
PushButton* roleButton(Window* w, bool isDefault) {
    for (PushButton* b : w->findChildren<PushButton*>())
        if ((isDefault ? b->Default() : b->Cancel()) && b->isVisible() && b->isEnabled()) return b;
    return nullptr;
}

}  // namespace

void Window::keyPressEvent(QKeyEvent* e) {
    const bool isReturn = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if ((isReturn || e->key() == Qt::Key_Escape) && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (PushButton* b = roleButton(this, isReturn)) {
            e->accept();
            b->click();
            return;
        }
    }
    const QString key = e->text();
    if (!key.isEmpty() && GuardValue("Window.KeyDown", false, [&] { return Event_KeyDown(key.left(1)); })) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool Window::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && !closed_ && !subObject_) detail::MarkFront(this);
    return QWidget::event(e);
}

}  // namespace fw