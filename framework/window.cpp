#include "framework/window.h"

#include "framework/application.h"
#include "framework/guard.h"

#include <QCloseEvent>
#include <QKeyEvent>

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

QWidget* frameParent() {
    Application* app = Application::Current();
    return app ? &app->FrameWindow() : nullptr;
}

}  // namespace

std::vector<Window*> AllWindows() { return registry(); }

void DestroyAllWindows() {
    std::vector<QPointer<Window>> windows;
    for (Window* w : registry()) windows.emplace_back(w);
    for (auto& w : windows) delete w.data();
}

Window* FrontProgramWindow() {
    auto& a = activations();
    for (auto it = a.rbegin(); it != a.rend(); ++it) {
        Window* w = *it;
        if (w && !w->IsClosed() && w->isVisible()) return w->MenuWindow();
    }
    return nullptr;
}

Window::Window(QWidget* parent) : QWidget(parent ? parent : frameParent(), Qt::Window) {
    registry().push_back(this);
}

Window::~Window() {
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

void Window::Show() {
    if (closed_) return;
    show();
    raise();
    activateWindow();
    // The platform may activate later or not at all (offscreen); the menus follow Show at once.
    markFront(this);
}

void Window::SetVisible(bool v) {
    if (closed_) return;
    if (v) {
        show();
        markFront(this);
    } else {
        hide();
    }
}

int Window::Top() const { return geometry().top(); }
int Window::Left() const { return geometry().left(); }
// Top and Left are those of the content, as program code places windows by their content.
void Window::SetTop(int top) { setGeometry(QRect(QPoint(geometry().left(), top), geometry().size())); }
void Window::SetLeft(int left) { setGeometry(QRect(QPoint(left, geometry().top()), geometry().size())); }

void Window::AddMenuHandler(const QString& item, MenuHandler handler) { menuHandlers_[item] = std::move(handler); }

const Window::MenuHandler* Window::FindMenuHandler(const QString& item) const {
    auto it = menuHandlers_.find(item);
    return it == menuHandlers_.end() ? nullptr : &it->second;
}

void Window::RunOpen(bool show) {
    Guard("Window.AddMenuHandlers", [this] { AddMenuHandlers(); });
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
    hide();
    deleteLater();
}

void Window::closeEvent(QCloseEvent* e) {
    // Qt's own close (the close box) goes through the same request as Close().
    e->ignore();
    Close();
}

void Window::keyPressEvent(QKeyEvent* e) {
    const QString key = e->text();
    if (!key.isEmpty() && GuardValue("Window.KeyDown", false, [&] { return Event_KeyDown(key.left(1)); })) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool Window::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && !closed_) markFront(this);
    return QWidget::event(e);
}

}  // namespace fw
