#include "framework/window.h"

#include "framework/application.h"
#include "framework/buttons.h"
#include "framework/container.h"
#include "framework/guard.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include <algorithm>
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

// The sub-window's own menu binds Ctrl+W, Ctrl+F4 and others, which would shadow the program's
// menu items (Ctrl+W is « Fermer »): its entries stay, without their keys.
void dropSystemMenuKeys(QMdiSubWindow* sub) {
    if (QMenu* menu = sub->systemMenu())
        for (QAction* a : menu->actions()) a->setShortcuts({});
}

}  // namespace

namespace detail {
void NoteActivated(QMdiSubWindow* sub) {
    if (!sub) return;
    for (Window* w : registry())
        if (!w->IsClosed() && &w->Host() == sub) {
            markFront(w);
            return;
        }
}
}  // namespace detail

std::vector<Window*> AllWindows() { return registry(); }

void DestroyAllWindows() {
    std::vector<QPointer<Window>> windows;
    for (Window* w : registry()) windows.emplace_back(w);
    for (auto& w : windows) {
        if (!w) continue;
        if (w->sub_) {
            delete w->sub_.data();  // takes its content with it
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

Window::Window(Kind kind) : QWidget(nullptr) {
    registry().push_back(this);
    Frame* f = frame();
    if (!f) return;  // a bare top-level window, for code that runs without an application
    QMdiArea& area = f->Area();
    if (kind == Kind::Panel) {
        setParent(area.viewport());
        // A panel has no frame of its own to paint its background.
        setAutoFillBackground(true);
        hide();
        return;
    }
    sub_ = area.addSubWindow(this);
    subObject_ = sub_.data();
    sub_->setAttribute(Qt::WA_DeleteOnClose, false);
    sub_->hide();
    sub_->installEventFilter(this);
    dropSystemMenuKeys(sub_);
}

Window::~Window() {
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    // A window deleted on its own leaves its empty sub-window behind; one deleted with its
    // sub-window finds the deletion cancelled with the sub-window's own end.
    if (subObject_) subObject_->deleteLater();
}

QWidget& Window::Host() { return sub_ ? static_cast<QWidget&>(*sub_) : *this; }
const QWidget& Window::Host() const { return sub_ ? static_cast<const QWidget&>(*sub_) : *this; }

QRect Window::FrameGeometry() const { return sub_ ? sub_->geometry() : frameGeometry(); }

void Window::fitHost() {
    if (!sub_) return;
    if (QLayout* l = sub_->layout()) l->activate();
    sub_->adjustSize();
}

// The area places a window where it overlaps the others least, even when that leaves part of it
// beyond the area's edge; the first time it comes up, it is brought back inside as far as it fits.
void Window::keepInArea() {
    if (!sub_ || placed_) return;
    placed_ = true;
    moveInsideArea();
}

void Window::moveInsideArea() {
    const QWidget* area = sub_->parentWidget();
    if (!area) return;
    const QRect r = sub_->geometry();
    const int x = std::max(0, std::min(r.x(), area->width() - r.width()));
    const int y = std::max(0, std::min(r.y(), area->height() - r.height()));
    if (x != r.x() || y != r.y()) sub_->move(x, y);
}

// Puts the window on screen (the frame first), restored when it was minimised, without changing
// which window is active.
void Window::reveal() {
    if (Frame* f = frame(); f && (sub_ || parentWidget())) f->EnsureShown();
    QWidget::show();
    if (!sub_) return;
    fitHost();
    if (sub_->isMinimized()) {
        sub_->showNormal();
    } else {
        sub_->show();
    }
    keepInArea();
}

void Window::Show() {
    if (closed_) return;
    reveal();
    if (sub_) {
        if (QMdiArea* area = sub_->mdiArea()) area->setActiveSubWindow(sub_);
        sub_->raise();
    } else {
        raise();
        if (isWindow()) activateWindow();
    }
    // The platform may activate later or not at all (offscreen); the menus follow Show at once.
    markFront(this);
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

bool Window::Minimised() const { return sub_ && sub_->isMinimized(); }

void Window::SetWindowFlags(Qt::WindowFlags flags) {
    if (sub_) {
        const bool shown = sub_->isVisible();
        Qt::WindowFlags hints = flags & ~Qt::WindowType_Mask;
        // A sub-window draws its close box only along with its system menu.
        if (hints & Qt::WindowCloseButtonHint) hints |= Qt::WindowSystemMenuHint;
        sub_->setWindowFlags(Qt::SubWindow | hints);
        dropSystemMenuKeys(sub_);
        if (shown) sub_->show();
    } else {
        setWindowFlags(flags);
    }
}

// Top and Left are those of the content, as program code places windows by their content.
QPoint Window::contentPos() const {
    if (sub_) return sub_->pos() + mapTo(sub_, QPoint());
    return parentWidget() ? pos() : geometry().topLeft();
}

void Window::moveContent(QPoint to) {
    if (sub_) {
        fitHost();
        sub_->move(to - mapTo(sub_, QPoint()));
    } else if (parentWidget()) {
        move(to);
    } else {
        setGeometry(QRect(to, geometry().size()));
    }
}

int Window::Top() const { return contentPos().y(); }
int Window::Left() const { return contentPos().x(); }
void Window::SetTop(int top) { moveContent(QPoint(Left(), top)); }
void Window::SetLeft(int left) { moveContent(QPoint(left, Top())); }

void Window::SetHeight(int h) {
    const bool inside = sub_ && sub_->parentWidget() && sub_->parentWidget()->rect().contains(sub_->geometry());
    setFixedHeight(h);
    fitHost();
    // A window that grows keeps its new part on screen, as a window in the area always was.
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
    // The sub-window's close box asks the window, which may refuse. The type goes first: the
    // sub-window also sends events while it is being destroyed, when it is no longer one.
    if (e->type() == QEvent::Close && o == sub_) {
        e->ignore();
        Close();
        return true;
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
    if (e->type() == QEvent::WindowActivate && !closed_ && !sub_) markFront(this);
    return QWidget::event(e);
}

}  // namespace fw
