#include "framework/subwindow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleFactory>

#include <algorithm>

namespace fw::detail {

void SubWindow::showEvent(QShowEvent* e) {
    if (panel_) {
        QWidget::showEvent(e);
        return;
    }
    QMdiSubWindow::showEvent(e);
}

// The frame takes the keyboard itself when it is activated by a click on a part of the window
// that takes none (the board, the frame, an empty spot): the window's own key handling
// (Return, Escape, typed keys) has it instead.
void SubWindow::focusInEvent(QFocusEvent* e) {
    QMdiSubWindow::focusInEvent(e);
    if (!panel_ && widget() && QApplication::focusWidget() == this) widget()->setFocus(e->reason());
}

// The frame presses the box it last saw the pointer over, and it stops looking while a drag
// moves the window: the first click on a box after a drag, or after the pointer jumped there,
// pressed nothing. It is shown where the pointer is first.
void SubWindow::mousePressEvent(QMouseEvent* e) {
    if (!panel_ && e->button() == Qt::LeftButton) {
        QMouseEvent hover(QEvent::MouseMove, e->position(), e->scenePosition(), e->globalPosition(), Qt::NoButton, Qt::NoButton,
                          e->modifiers(), e->pointingDevice());
        QMdiSubWindow::mouseMoveEvent(&hover);
    }
    QMdiSubWindow::mousePressEvent(e);
}

void SubWindow::mouseMoveEvent(QMouseEvent* e) {
    const QRect before = geometry();
    QMdiSubWindow::mouseMoveEvent(e);
    keepTitleBarInReach(before);
}

void SubWindow::keyPressEvent(QKeyEvent* e) {
    const QRect before = geometry();
    QMdiSubWindow::keyPressEvent(e);
    keepTitleBarInReach(before);
}

// A moved frame follows the pointer anywhere, past the area's edges, and with its title bar
// goes the user's only hold on it (the area's scroll bars aside). As a desktop keeps a dragged
// window's title bar on the screen, the area keeps it in its view: the whole height of the
// title bar, and enough of its length to take hold of it again and to see the title or the boxes.
void SubWindow::keepTitleBarInReach(const QRect& before) {
    if (panel_ || geometry() == before || size() != before.size()) return;  // not moved, or resized
    const QWidget* view = parentWidget();
    if (!view) return;
    constexpr int kReach = 80;
    const int reach = std::min(kReach, width());
    // A frame that sticks out sideways brings the area's horizontal scroll bar up over the
    // view's bottom: the title bar stays above where it comes.
    int bottom = view->height();
    if (const QMdiArea* area = mdiArea(); area && !area->horizontalScrollBar()->isVisible())
        bottom -= area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area->horizontalScrollBar());
    const int x = std::clamp(this->x(), reach - width(), std::max(reach - width(), view->width() - reach));
    const int y = std::clamp(this->y(), 0, std::max(0, bottom - contentsMargins().top()));
    if (x != this->x() || y != this->y()) move(x, y);
}

namespace {

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

}  // namespace

QStyle* SubWindowStyle() {
    // Kept for the whole run: sub-windows may go after the frame, at the very end.
    static QStyle* style = new FrameStyle;
    return style;
}

void DropSystemMenuKeys(QMdiSubWindow* sub) {
    if (QMenu* menu = sub->systemMenu())
        for (QAction* a : menu->actions()) a->setShortcuts({});
}

}  // namespace fw::detail
