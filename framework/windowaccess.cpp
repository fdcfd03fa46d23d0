// The accessibility adapter of the program windows' frames, installed once the frame exists.
#include "framework/subwindow.h"
#include "framework/window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QMdiArea>

namespace fw {

namespace {

using detail::SubWindow;

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

}  // namespace

namespace detail {

void InstallAccessibility() {
    static const bool once = [] {
        QAccessible::installFactory(&accessibleFactory);
        return true;
    }();
    (void)once;
}

}  // namespace detail

}  // namespace fw
