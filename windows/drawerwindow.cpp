#include "windows/drawerwindow.h"

#include "framework/guard.h"

#include <QApplication>
#include <QEvent>

#include <algorithm>

namespace wnd {

namespace {
fw::Window::Kind panelOf(fw::Window* parent) {
    if (!parent) throw fw::NilObjectException("DrawerWindow parent");
    return fw::Window::Kind::Panel;
}
}  // namespace

DrawerWindow::DrawerWindow(fw::Window* parent) : fw::Window(panelOf(parent)) {
    a_parent = parent;
    // The drawer follows what happens to the parent's frame in the area.
    parentHost_ = &parent->Host();
    parentHost_->installEventFilter(this);
    // Working in the drawer brings the parent and the drawer to the front together.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && state_ == StateOpen && isAncestorOf(now)) {
            if (a_parent) a_parent->Host().raise();
            follow();
        }
    });
    SetVisibleAtOpen(false);
    hide();
}

std::int32_t DrawerWindow::CurrentEdge() {
    place();
    return edge_;
}

void DrawerWindow::SetLeadingOffset(std::int32_t v) {
    leading_ = v;
    place();
}

void DrawerWindow::SetTrailingOffset(std::int32_t v) {
    trailing_ = v;
    place();
}

void DrawerWindow::SetPreferredEdge(std::int32_t e) {
    preferred_ = e;
    place();
}

fw::Window* DrawerWindow::Parent() const { return a_parent.data(); }

fw::Window* DrawerWindow::MenuWindow() { return a_parent ? a_parent->MenuWindow() : this; }

bool DrawerWindow::parentShown() const { return a_parent && a_parent->Visible() && !a_parent->Minimised(); }

void DrawerWindow::Toggle() {
    if (state_ == StateClosed) {
        state_ = StateOpening;
        HandleOpeningEvent();
        place();
        if (parentShown()) follow();
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

// An open drawer is on screen exactly while its parent is (and not minimised).
void DrawerWindow::track() {
    if (state_ != StateOpen) return;
    if (parentShown()) {
        follow();
    } else {
        hide();
    }
}

// Shows the open drawer just above its parent in the area's stacking order.
void DrawerWindow::follow() {
    place();
    show();
    stackAboveParent();
}

// Just above the parent's frame, and no higher: a window brought to the front after the parent
// (whatever the parent goes through meanwhile, such as losing its active state) stays above the
// drawer too.
void DrawerWindow::stackAboveParent() {
    QWidget* host = a_parent ? &a_parent->Host() : nullptr;
    QWidget* area = parentWidget();
    if (!host || !area || host->parentWidget() != area) {
        raise();
        return;
    }
    // A widget's children are listed from the bottom of the stack to its top.
    const QObjectList& siblings = area->children();
    for (qsizetype k = siblings.indexOf(host) + 1; k < siblings.size(); ++k) {
        auto* w = qobject_cast<QWidget*>(siblings[k]);
        if (w && w != this && !w->isWindow()) {
            stackUnder(w);
            return;
        }
    }
    raise();
}

void DrawerWindow::place() {
    if (!a_parent) return;
    // The parent's frame and content, in the coordinates the drawer is placed in.
    const QRect outer = a_parent->FrameGeometry();
    const QRect content(a_parent->Left(), a_parent->Top(), a_parent->Width(), a_parent->Height());
    const QWidget* area = parentWidget();
    const int areaW = area ? area->width() : 1 << 20;
    const int areaH = area ? area->height() : 1 << 20;

    // Along a side edge the drawer spans the parent's content less both offsets, within its own
    // size limits; across it keeps its width.
    const bool side = preferred_ != EdgeTop && preferred_ != EdgeBottom;
    QSize size = this->size();
    if (side) {
        size.setHeight(std::clamp(content.height() - leading_ - trailing_, minimumHeight(), maximumHeight()));
    } else {
        size.setWidth(std::clamp(content.width() - leading_ - trailing_, minimumWidth(), maximumWidth()));
    }
    resize(size);

    if (side) {
        const int leftX = outer.left() - size.width();
        const int rightX = outer.right() + 1;
        const bool roomLeft = leftX >= 0;
        const bool roomRight = rightX + size.width() <= areaW;
        if (preferred_ == EdgeLeft) {
            edge_ = roomLeft || !roomRight ? EdgeLeft : EdgeRight;
        } else {
            edge_ = roomRight || !roomLeft ? EdgeRight : EdgeLeft;
        }
        // With no room on either side, the right edge keeps the drawer's own controls reachable.
        if (!roomLeft && !roomRight) edge_ = EdgeRight;
        move(edge_ == EdgeLeft ? leftX : rightX, content.top() + leading_);
    } else {
        const int topY = outer.top() - size.height();
        const int bottomY = outer.bottom() + 1;
        const bool roomTop = topY >= 0;
        const bool roomBottom = bottomY + size.height() <= areaH;
        if (preferred_ == EdgeTop) {
            edge_ = roomTop || !roomBottom ? EdgeTop : EdgeBottom;
        } else {
            edge_ = roomBottom || !roomTop ? EdgeBottom : EdgeTop;
        }
        move(content.left() + leading_, edge_ == EdgeTop ? topY : bottomY);
    }
}

bool DrawerWindow::eventFilter(QObject* o, QEvent* e) {
    // Compared as a plain object: the parent's frame also sends events while it is destroyed.
    if (o == parentHost_.data() && a_parent) {
        switch (e->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            place();
            break;
        case QEvent::ZOrderChange:
            if (state_ == StateOpen && isVisible()) stackAboveParent();
            break;
        case QEvent::Show:
        case QEvent::Hide:
            track();
            break;
        case QEvent::WindowStateChange:
            // Decided once the minimising or restoring is complete.
            QMetaObject::invokeMethod(this, [this] { track(); }, Qt::QueuedConnection);
            break;
        default:
            break;
        }
    }
    return fw::Window::eventFilter(o, e);
}

}  // namespace wnd
