#include "windows/drawerwindow.h"

#include "framework/application.h"
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

bool areaScrolling() {
    fw::Application* app = fw::Application::Current();
    return app && app->FrameWindow().Scrolling();
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
            if (fw::Window* p = parentWindow()) p->Host().raise();
            follow();
        }
    });
    SetVisibleAtOpen(false);
}

fw::Window* DrawerWindow::parentWindow() const { return qobject_cast<fw::Window*>(a_parent.data()); }

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

fw::Window* DrawerWindow::Parent() const { return parentWindow(); }

fw::Window* DrawerWindow::MenuWindow() {
    fw::Window* p = parentWindow();
    return p ? p->MenuWindow() : this;
}

bool DrawerWindow::parentShown() const {
    const fw::Window* p = parentWindow();
    return p && p->Visible() && !p->Minimised();
}

void DrawerWindow::Toggle() {
    if (state_ == StateClosed) {
        state_ = StateOpening;
        HandleOpeningEvent();
        place();
        if (parentShown()) follow();
        // A control of the drawer may have asked for the keyboard while it was closed: the drawer
        // opens beside its parent, which keeps it.
        // (The frame's own focus child counts too: it takes the keyboard when the frame comes to
        // the front.)
        if (fw::Window* p = parentWindow(); p && (isAncestorOf(QApplication::focusWidget()) || isAncestorOf(window()->focusWidget())))
            p->setFocus(Qt::OtherFocusReason);
        state_ = StateOpen;
        HandleOpenedEvent();
    } else if (state_ == StateOpen) {
        state_ = StateClosing;
        if (HandleClosingEvent()) {
            state_ = StateOpen;
            return;
        }
        Host().hide();
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
        Host().hide();
    }
}

// Shows the open drawer just above its parent in the area's stacking order.
void DrawerWindow::follow() {
    place();
    Host().show();
    stackAboveParent();
}

// Just above the parent's frame, and no higher: a window brought to the front after the parent
// (whatever the parent goes through meanwhile, such as losing its active state) stays above the
// drawer too.
void DrawerWindow::stackAboveParent() {
    fw::Window* p = parentWindow();
    QWidget* host = p ? &p->Host() : nullptr;
    QWidget& me = Host();
    QWidget* area = me.parentWidget();
    if (!host || !area || host->parentWidget() != area) {
        me.raise();
        return;
    }
    // A widget's children are listed from the bottom of the stack to its top.
    const QObjectList& siblings = area->children();
    for (qsizetype k = siblings.indexOf(host) + 1; k < siblings.size(); ++k) {
        auto* w = qobject_cast<QWidget*>(siblings[k]);
        if (w && w != &me && !w->isWindow()) {
            me.stackUnder(w);
            return;
        }
    }
    me.raise();
}

void DrawerWindow::place() {
    const fw::Window* p = parentWindow();
    if (!p) return;
    // The parent's frame and content, in the coordinates the drawer is placed in.
    const QRect outer = p->FrameGeometry();
    const QRect content(p->Left(), p->Top(), p->Width(), p->Height());
    const QWidget* area = Host().parentWidget();
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
        SetContentGeometry(QRect(QPoint(edge_ == EdgeLeft ? leftX : rightX, content.top() + leading_), size));
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
        SetContentGeometry(QRect(QPoint(content.left() + leading_, edge_ == EdgeTop ? topY : bottomY), size));
    }
}

bool DrawerWindow::eventFilter(QObject* o, QEvent* e) {
    // Compared as a plain object: the parent's frame also sends events while it is destroyed,
    // and then the parent is no window any more.
    if (o == parentHost_.data() && parentWindow()) {
        switch (e->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            // When the area scrolls, the drawer moves by the same as the parent, by itself.
            if (!areaScrolling()) place();
            break;
        case QEvent::ZOrderChange:
            if (state_ == StateOpen && Visible()) stackAboveParent();
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
