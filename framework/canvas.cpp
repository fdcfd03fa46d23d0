#include "framework/canvas.h"

#include "framework/guard.h"

#include <QMouseEvent>
#include <QPainter>

namespace fw {

Canvas::Canvas(QWidget* parent)
    : QWidget(parent),
      backing_(1, 1, QImage::Format_ARGB32_Premultiplied),
      graphics_(&backing_, [this](const QRect& r) {
          if (!painting_) update(r);
      }) {
    backing_.fill(Qt::transparent);
    setMouseTracking(true);
}

Canvas::~Canvas() = default;

void Canvas::FitBacking() {
    const QSize want(std::max(1, width()), std::max(1, height()));
    if (backing_.size() == want) return;
    QImage next(want, QImage::Format_ARGB32_Premultiplied);
    next.fill(Qt::transparent);
    QPainter p(&next);
    p.drawImage(0, 0, backing_);
    p.end();
    backing_ = next;  // same object: the Graphics keeps pointing at it
}

fw::Graphics& Canvas::Graphics() {
    FitBacking();
    return graphics_;
}

const QImage& Canvas::BackingImage() {
    FitBacking();
    return backing_;
}

void Canvas::SetBackdrop(std::shared_ptr<Picture> p) {
    backdrop_ = std::move(p);
    FitBacking();
    backing_.fill(Qt::transparent);
    if (backdrop_) graphics_.DrawPicture(*backdrop_, 0, 0);
    UpdateOpacity();
    update();
}

void Canvas::DrawThenShow(const std::function<void()>& draw, const QRegion& region) {
    const bool was = painting_;
    painting_ = true;
    draw();
    painting_ = was;
    if (region.isEmpty()) return;
    if (isVisible() && !was)
        repaint(region);
    else
        update(region);
}

void Canvas::UpdateOpacity() {
    // A backdrop without a mask that covers the control leaves nothing of what lies beneath
    // to be seen, so a repaint need not paint the windows under the control first.
    const bool opaque = backdrop_ && !backdrop_->HasMask() && backdrop_->Width() >= width() && backdrop_->Height() >= height();
    setAttribute(Qt::WA_OpaquePaintEvent, opaque);
}

void Canvas::Open() {
    if (opened_) return;
    opened_ = true;
    Guard("Canvas.Open", [this] { Event_Open(); });
}

void Canvas::paintEvent(QPaintEvent* e) {
    Guard("Canvas.Paint", [this, e] {
        FitBacking();
        painting_ = true;
        Event_Paint(graphics_);
        painting_ = false;
        // Only the parts asked for: the region's own rectangles, not the box around them.
        QPainter p(this);
        for (const QRect& r : e->region()) p.drawImage(r.topLeft(), backing_, r);
    });
    painting_ = false;
}

void Canvas::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    Open();
}

void Canvas::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FitBacking();
    UpdateOpacity();
}

void Canvas::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pt = e->position().toPoint();
    pressed_ = GuardValue("Canvas.MouseDown", false, [&] { return Event_MouseDown(pt.x(), pt.y()); });
}

void Canvas::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    if (e->buttons() & Qt::LeftButton) {
        if (pressed_) Guard("Canvas.MouseDrag", [&] { Event_MouseDrag(pt.x(), pt.y()); });
    } else {
        Guard("Canvas.MouseMove", [&] { Event_MouseMove(pt.x(), pt.y()); });
    }
}

void Canvas::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pt = e->position().toPoint();
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (wasPressed) Guard("Canvas.MouseUp", [&] { Event_MouseUp(pt.x(), pt.y()); });
}

void Canvas::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    Guard("Canvas.MouseExit", [this] { Event_MouseExit(); });
}

}  // namespace fw
