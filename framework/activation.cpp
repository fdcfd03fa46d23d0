// Which program window is the active one and which stays in front: the order in which windows
// were activated, the window that takes the active state when one goes, the modal message box
// that keeps it while it waits, the dialog frames kept above the others, and a panel handing
// its activation to its owner.
#include "framework/window.h"
#include "framework/window_internal.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <vector>

namespace fw {

namespace {

// The order in which the program windows were activated, the last one at the back.
std::vector<QPointer<Window>>& activations() {
    static std::vector<QPointer<Window>> a;
    return a;
}

QPointer<Window>& modalWindow() {
    static QPointer<Window> w;
    return w;
}

Window* windowOf(const QObject* sub) {
    if (!sub) return nullptr;
    for (Window* w : detail::Registry())
        if (!w->IsClosed() && static_cast<const QObject*>(&w->Host()) == sub) return w;
    return nullptr;
}

}  // namespace

namespace detail {

void MarkFront(Window* w) {
    auto& a = activations();
    a.erase(std::remove_if(a.begin(), a.end(), [w](const QPointer<Window>& p) { return !p || p == w; }), a.end());
    a.emplace_back(w);
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
    MarkFront(w);
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

void AreaShown(QMdiArea& area) {
    // The area deactivates its window when the frame is minimised, and activates the one it
    // activated last when the frame comes back only if the frame lost the keyboard in between:
    // a frame restored at once would come back with no active window.
    if (area.activeSubWindow() || !area.isActiveWindow()) return;
    if (QMdiSubWindow* s = ActivatedBefore(area, nullptr)) area.setActiveSubWindow(s);
}

void Restack() {
    static bool busy = false;
    if (busy) return;
    busy = true;
    for (Window* w : Registry()) {
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

}  // namespace detail

Window* FrontProgramWindow() {
    auto& a = activations();
    for (auto it = a.rbegin(); it != a.rend(); ++it) {
        Window* w = *it;
        if (w && !w->IsClosed() && w->Visible() && !w->Minimised()) return w->MenuWindow();
    }
    return nullptr;
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

}  // namespace fw
