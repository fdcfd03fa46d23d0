#include "windows/drawerwindow.h"

#include "framework/guard.h"

#include <QEvent>

namespace wnd {

namespace {
fw::Window* requireParent(fw::Window* parent) {
    if (!parent) throw fw::NilObjectException("DrawerWindow parent");
    return parent;
}
}  // namespace

DrawerWindow::DrawerWindow(fw::Window* parent) : fw::Window(requireParent(parent)) {
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    a_parent = parent;
    parent->installEventFilter(this);
    SetVisibleAtOpen(false);
    hide();
}

DrawerWindow::~DrawerWindow() {
    if (a_parent) a_parent->removeEventFilter(this);
}

std::int32_t DrawerWindow::CurrentEdge() const { return EdgeRight; }

void DrawerWindow::SetLeadingOffset(std::int32_t v) {
    leading_ = v;
    place();
}

void DrawerWindow::SetTrailingOffset(std::int32_t v) {
    trailing_ = v;
    place();
}

fw::Window* DrawerWindow::Parent() const { return a_parent.data(); }

fw::Window* DrawerWindow::MenuWindow() { return a_parent ? a_parent->MenuWindow() : this; }

void DrawerWindow::Toggle() {
    if (state_ == StateClosed) {
        state_ = StateOpening;
        HandleOpeningEvent();
        place();
        if (!a_parent || a_parent->isVisible()) show();
        state_ = StateOpen;
        HandleOpenedEvent();
    } else if (state_ == StateOpen) {
        state_ = StateClosing;
        if (HandleClosingEvent()) {
            state_ = StateOpen;
            return;
        }
        hide();
        state_ = StateClosed;
        HandleClosedEvent();
    }
}

void DrawerWindow::HandleOpeningEvent() {
    if (DrawerOpening) DrawerOpening();
}

void DrawerWindow::HandleOpenedEvent() {
    if (DrawerOpened) DrawerOpened();
}

bool DrawerWindow::HandleClosingEvent() { return DrawerClosing ? DrawerClosing() : false; }

void DrawerWindow::HandleClosedEvent() {
    if (DrawerClosed) DrawerClosed();
}

void DrawerWindow::place() {
    if (!a_parent) return;
    const QRect outer = a_parent->frameGeometry();
    const QRect inner = a_parent->geometry();
    move(outer.right() + 1, inner.top() + leading_);
}

bool DrawerWindow::eventFilter(QObject* o, QEvent* e) {
    if (o == a_parent) {
        switch (e->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            place();
            break;
        case QEvent::Show:
            if (state_ == StateOpen) {
                place();
                show();
            }
            break;
        case QEvent::Hide:
            hide();
            break;
        default:
            break;
        }
    }
    return fw::Window::eventFilter(o, e);
}

}  // namespace wnd
