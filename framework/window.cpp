#include "framework/window.h"

#include "framework/application.h"
#include "framework/buttons.h"
#include "framework/container.h"
#include "framework/guard.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProxyStyle>
#include <QStyleFactory>

#include <algorithm>
#include <tuple>
#include <vector>

namespace fw {

namespace {

// Every live program window, in creation order, and the order in which they were activated.
std::vector<Window*>& registry() {
    static std::vector<Window*> r;
    return r;
}
std::vector<QPointer<Window>>& activations() {
    static std::vector<QPointer<Window>> a;
    return a;
}

void markFront(Window* w) {
    auto& a = activations();
    a.erase(std::remove_if(a.begin(), a.end(), [w](const QPointer<Window>& p) { return !p || p == w; }), a.end());
    a.emplace_back(w);
}

Frame* frame() {
    Application* app = Application::Current();
    return app ? &app->FrameWindow() : nullptr;
}

// The frame of a window in the area. A panel's has no title bar, border or boxes, and coming on
// screen does not make it the active sub-window, as it does for the others.
class SubWindow : public QMdiSubWindow {
public:
    explicit SubWindow(bool panel) : QMdiSubWindow(nullptr, panel ? Qt::SubWindow | Qt::FramelessWindowHint : Qt::SubWindow), panel_(panel) {}
    bool IsPanel() const { return panel_; }

protected:
    void showEvent(QShowEvent* e) override {
        if (panel_) {
            QWidget::showEvent(e);
            return;
        }
        QMdiSubWindow::showEvent(e);
    }
    // The frame takes the keyboard itself when it is activated by a click on a part of the window
    // that takes none (the board, the frame, an empty spot): the window's own key handling
    // (Return, Escape, typed keys) has it instead.
    void focusInEvent(QFocusEvent* e) override {
        QMdiSubWindow::focusInEvent(e);
        if (!panel_ && widget() && QApplication::focusWidget() == this) widget()->setFocus(e->reason());
    }
    // The frame presses the box it last saw the pointer over, and it stops looking while a drag
    // moves the window: the first click on a box after a drag, or after the pointer jumped there,
    // pressed nothing. It is shown where the pointer is first.
    void mousePressEvent(QMouseEvent* e) override {
        if (!panel_ && e->button() == Qt::LeftButton) {
            QMouseEvent hover(QEvent::MouseMove, e->position(), e->scenePosition(), e->globalPosition(), Qt::NoButton, Qt::NoButton,
                              e->modifiers(), e->pointingDevice());
            QMdiSubWindow::mouseMoveEvent(&hover);
        }
        QMdiSubWindow::mousePressEvent(e);
    }

private:
    const bool panel_;
};

// Sub-window borders one pixel thinner than the style's: a window whose content stands at
// left 3 (the game window) keeps its whole frame inside the area, so the area has nothing to
// scroll to at its edge.
class FrameStyle : public QProxyStyle {
public:
    FrameStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}
    int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override {
        const int v = QProxyStyle::pixelMetric(m, o, w);
        return m == PM_MdiSubWindowFrameWidth ? std::min(v, 3) : v;
    }
};

QStyle* frameStyle() {
    // Kept for the whole run: sub-windows may go after the frame, at the very end.
    static QStyle* style = new FrameStyle;
    return style;
}

// The sub-window's own menu binds Ctrl+W, Ctrl+F4 and others, which would shadow the program's
// menu items (Ctrl+W is « Fermer »): its entries stay, without their keys.
void dropSystemMenuKeys(QMdiSubWindow* sub) {
    if (QMenu* menu = sub->systemMenu())
        for (QAction* a : menu->actions()) a->setShortcuts({});
}

// What assistive tools see of a program window's frame. Qt's own counts a sub-window as off
// screen as soon as a pixel of it passes the area's edge (the game window's border did), and
// then it is not "showing"; here it is off screen only when none of it can be seen.
class SubWindowAccessible : public QAccessibleWidget {
public:
    explicit SubWindowAccessible(QMdiSubWindow* s) : QAccessibleWidget(s, QAccessible::Window) {}

    QMdiSubWindow* sub() const { return static_cast<QMdiSubWindow*>(widget()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return sub()->windowTitle().remove(QStringLiteral("[*]"));
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        const QMdiSubWindow* w = sub();
        const auto* mine = dynamic_cast<const SubWindow*>(w);
        const bool panel = mine && mine->IsPanel();
        s.focusable = !panel;
        s.movable = !panel && !w->isMaximized();
        if (w->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == w) s.focused = true;
        if (!w->isVisible()) s.invisible = true;
        if (const QWidget* area = w->parentWidget(); area && !area->rect().intersects(w->geometry())) s.offscreen = true;
        if (!w->isEnabled()) s.disabled = true;
        if (w->isMinimized()) s.collapsed = true;
        return s;
    }

    // The area lists its sub-windows as its own children, past its viewport: so does the way up.
    QAccessibleInterface* parent() const override {
        if (QMdiArea* area = sub()->mdiArea()) return QAccessible::queryAccessibleInterface(area);
        return QAccessibleWidget::parent();
    }
    int childCount() const override { return sub()->widget() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        QWidget* content = sub()->widget();
        return index == 0 && content ? QAccessible::queryAccessibleInterface(content) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        return c && c->object() && c->object() == sub()->widget() ? 0 : -1;
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* o) {
    if (className != QLatin1String("QMdiSubWindow")) return nullptr;
    if (auto* s = dynamic_cast<SubWindow*>(o)) return new SubWindowAccessible(s);
    return nullptr;
}

QPointer<Window>& modalWindow() {
    static QPointer<Window> w;
    return w;
}

Window* windowOf(const QObject* sub) {
    if (!sub) return nullptr;
    for (Window* w : registry())
        if (!w->IsClosed() && static_cast<const QObject*>(&w->Host()) == sub) return w;
    return nullptr;
}

}  // namespace

namespace detail {

void InstallAccessibility() {
    static const bool once = [] {
        QAccessible::installFactory(&accessibleFactory);
        return true;
    }();
    (void)once;
}

Window* SetModal(Window* w) {
    Window* before = modalWindow();
    modalWindow() = w;
    return before;
}

Window* Modal() { return modalWindow(); }

void NoteActivated(QMdiSubWindow* sub) {
    Window* w = windowOf(sub);
    if (!w) return;
    if (Window* modal = modalWindow(); modal && modal != w && !modal->IsClosed()) {
        // A window that came up meanwhile stays behind the waiting box, which keeps the keyboard.
        QMetaObject::invokeMethod(modal, [modal] { modal->Show(); }, Qt::QueuedConnection);
        return;
    }
    if (w->panel_) {
        // The area activated the panel by a way of its own (the next window in turn, the frame
        // coming back to the front): its owner takes it, once the area is done with it.
        QMetaObject::invokeMethod(w, [w] { w->handActivationToOwner(); }, Qt::QueuedConnection);
        return;
    }
    markFront(w);
}

QMdiSubWindow* ActivatedBefore(QMdiArea& area, QMdiSubWindow* gone) {
    // A window shown without being activated (the splash) is passed by.
    auto& a = activations();
    for (auto it = a.rbegin(); it != a.rend(); ++it) {
        Window* w = it->data() ? it->data()->MenuWindow() : nullptr;
        QMdiSubWindow* s = w ? w->sub() : nullptr;
        if (!s || s == gone || s->mdiArea() != &area || w->IsClosed() || !s->isVisible() || s->isMinimized()) continue;
        return s;
    }
    return nullptr;
}

void Restack() {
    static bool busy = false;
    if (busy) return;
    busy = true;
    for (Window* w : registry()) {
        QMdiSubWindow* s = w->sub();
        if (!w->above_ || w->IsClosed() || !s || !s->isVisible() || !s->parentWidget()) continue;
        // A widget's children are listed from the bottom of the stack to its top.
        const QObjectList& siblings = s->parentWidget()->children();
        bool covered = false;
        for (qsizetype k = siblings.indexOf(s) + 1; k < siblings.size() && !covered; ++k) {
            auto* other = qobject_cast<QMdiSubWindow*>(siblings[k]);
            const Window* ow = windowOf(other);
            covered = other && other->isVisible() && !(ow && ow->above_);
        }
        if (covered) s->raise();
    }
    busy = false;
}

void AreaResized() {
    for (Window* w : registry()) {
        QMdiSubWindow* s = w->sub();
        if (!s || w->IsClosed() || w->placement_ != Window::Placement::Centred || !w->placed_ || w->positioned_) continue;
        if (!s->parentWidget() || s->geometry() != w->placedAt_) continue;
        s->move(w->centredPlace(s->size()));
        w->placedAt_ = s->geometry();
    }
}

}  // namespace detail

std::vector<Window*> AllWindows() { return registry(); }

void DestroyAllWindows() {
    std::vector<QPointer<Window>> windows;
    for (Window* w : registry()) windows.emplace_back(w);
    for (auto& w : windows) {
        if (!w) continue;
        if (QMdiSubWindow* s = w->sub()) {
            delete s;  // takes its content with it
        } else {
            delete w.data();
        }
    }
}

Window* FrontProgramWindow() {
    auto& a = activations();
    for (auto it = a.rbegin(); it != a.rend(); ++it) {
        Window* w = *it;
        if (w && !w->IsClosed() && w->Visible() && !w->Minimised()) return w->MenuWindow();
    }
    return nullptr;
}

Window::Window(Kind kind) : QWidget(nullptr), panel_(kind == Kind::Panel) {
    registry().push_back(this);
    Frame* f = frame();
    if (!f) return;  // a bare top-level window, for code that runs without an application
    QMdiArea& area = f->Area();
    auto* s = new SubWindow(panel_);
    s->setWidget(this);
    s->setAttribute(Qt::WA_DeleteOnClose, false);
    area.addSubWindow(s);
    subObject_ = s;
    s->hide();
    s->installEventFilter(this);
    dropSystemMenuKeys(s);
    if (panel_) {
        // Keyboard focus inside a panel would otherwise make it the active sub-window: the
        // owner stays the active one while the user types in its panel.
        QObject::disconnect(qApp, SIGNAL(focusChanged(QWidget*, QWidget*)), s, SLOT(_q_processFocusChanged(QWidget*, QWidget*)));
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
        s->setStyle(frameStyle());
    }
}

Window::~Window() {
    // The panel's controls still go after this, and each hands the keyboard on as it goes.
    QObject::disconnect(panelFocus_);
    auto& r = registry();
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

void Window::moveInsideArea() {
    QMdiSubWindow* s = sub();
    const QWidget* area = s ? s->parentWidget() : nullptr;
    if (!area) return;
    const QRect r = s->geometry();
    const int x = std::max(0, std::min(r.x(), area->width() - r.width()));
    const int y = std::max(0, std::min(r.y(), area->height() - r.height()));
    if (x != r.x() || y != r.y()) s->move(x, y);
}

// Where the window covers least of what is on screen: candidates are the area's corners and the
// places right beside each window's sides; the first with the least cover of the windows placed
// by their own code and their panels wins, then the least cover of the others, then the highest
// and leftmost.
QPoint Window::defaultPlace(QSize size) const {
    const QMdiSubWindow* mine = sub();
    const QWidget* area = mine->parentWidget();
    std::vector<QRect> anchored, others;
    for (Window* w : registry()) {
        const QMdiSubWindow* s = w->sub();
        if (w == this || w->IsClosed() || !s) continue;
        if (w->panel_) {
            // A panel comes and goes with its owner: a closed drawer may open any moment.
            const Window* owner = w->MenuWindow();
            const bool ownerShown = owner && owner != w && owner->Visible() && !owner->Minimised();
            if (s->isVisible() || ownerShown) anchored.push_back(s->geometry());
        } else if (s->isVisible()) {
            (w->positioned_ ? anchored : others).push_back(s->geometry());
        }
    }
    const int maxX = std::max(0, area->width() - size.width());
    const int maxY = std::max(0, area->height() - size.height());
    std::vector<int> xs{0, maxX}, ys{0, maxY};
    for (const auto* list : {&anchored, &others})
        for (const QRect& r : *list) {
            xs.insert(xs.end(), {r.right() + 1, r.left() - size.width()});
            ys.insert(ys.end(), {r.bottom() + 1, r.top() - size.height()});
        }
    auto cover = [](const QRect& at, const std::vector<QRect>& rects) {
        long long area = 0;
        for (const QRect& r : rects) {
            const QRect i = at.intersected(r);
            if (!i.isEmpty()) area += static_cast<long long>(i.width()) * i.height();
        }
        return area;
    };
    std::tuple<long long, long long, int, int> best{-1, 0, 0, 0};
    for (int y : ys) {
        if (y < 0 || y > maxY) continue;
        for (int x : xs) {
            if (x < 0 || x > maxX) continue;
            const QRect at(QPoint(x, y), size);
            const std::tuple<long long, long long, int, int> score{cover(at, anchored), cover(at, others), y, x};
            if (std::get<0>(best) < 0 || score < best) best = score;
        }
    }
    return QPoint(std::get<3>(best), std::get<2>(best));
}

QPoint Window::centredPlace(QSize size) const {
    const QWidget* area = sub()->parentWidget();
    return QPoint(std::max(0, (area->width() - size.width()) / 2), std::max(0, (area->height() - size.height()) / 2));
}

// A window its own code has not placed comes up where its placement puts it, each time it comes
// on screen, unless it was moved since it was last placed.
void Window::placeOnOpening() {
    QMdiSubWindow* s = sub();
    if (!s || panel_ || positioned_ || !s->parentWidget()) return;
    if (placed_ && s->geometry() != placedAt_) return;
    const QSize size = s->size();
    s->move(placement_ == Placement::Centred ? centredPlace(size) : defaultPlace(size));
    placed_ = true;
    placedAt_ = s->geometry();
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
    markFront(this);
}

// The area made a panel its active window by a way of its own: its owner takes that, with the
// keyboard.
void Window::handActivationToOwner() {
    QMdiSubWindow* s = sub();
    if (s && s->mdiArea() && s->mdiArea()->activeSubWindow() == s) ownerTakesActivation(nullptr);
}

// The user works in a panel (a click, the keyboard in one of its controls): its owner becomes the
// active window, as if the panel were part of it, and the menus serve the owner; keep, the
// control that took the keyboard, keeps it.
void Window::ownerTakesActivation(QWidget* keep) {
    Window* owner = MenuWindow();
    QMdiSubWindow* ownerSub = owner && owner != this ? owner->sub() : nullptr;
    QMdiArea* area = ownerSub ? ownerSub->mdiArea() : nullptr;
    if (!area || closed_ || owner->IsClosed() || !ownerSub->isVisible() || ownerSub->isMinimized()) return;
    if (area->activeSubWindow() == ownerSub) return;
    const QPointer<QWidget> kept(keep);
    area->setActiveSubWindow(ownerSub);
    // An activated window gives the keyboard to its own last control.
    if (kept && QApplication::focusWidget() != kept) kept->setFocus(Qt::MouseFocusReason);
}

void Window::SetVisible(bool v) {
    if (closed_) return;
    if (v) {
        reveal();
        markFront(this);
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
        dropSystemMenuKeys(s);
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
            // The window beneath (the one activated before it) becomes the active one, as on a
            // desktop: at once, before the area picks one in an order of its own and brings that
            // one to the front.
            if (QMdiSubWindow* s = sub(); s && !panel_ && s->mdiArea() && s->mdiArea()->activeSubWindow() == s)
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
    if (e->type() == QEvent::WindowActivate && !closed_ && !subObject_) markFront(this);
    return QWidget::event(e);
}

}  // namespace fw
