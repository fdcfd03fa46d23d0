#include "framework/backdrop.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace fw {

namespace {

class Backdrop : public QObject {
public:
    Backdrop(QWidget& control, QWidget& beneath) : QObject(&control), control_(&control), beneath_(&beneath) {
        control.setAttribute(Qt::WA_OpaquePaintEvent);
        control.installEventFilter(this);
        beneath.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        switch (e->type()) {
        case QEvent::Paint:
            if (o == control_.data()) paint();
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::FontChange:
            picture_ = QPixmap();
            if (o == beneath_.data() && control_) control_->update();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void paint() {
        if (!control_ || !beneath_) return;
        if (picture_.isNull()) {
            const qreal ratio = control_->devicePixelRatioF();
            picture_ = QPixmap(control_->size() * ratio);
            picture_.setDevicePixelRatio(ratio);
            picture_.fill(control_->palette().window().color());
            const QPoint at = beneath_->mapFromGlobal(control_->mapToGlobal(QPoint()));
            beneath_->render(&picture_, QPoint(), QRegion(QRect(at, control_->size())), QWidget::DrawWindowBackground);
        }
        QPainter p(control_);
        p.drawPixmap(0, 0, picture_);
    }

    QPointer<QWidget> control_;
    QPointer<QWidget> beneath_;
    QPixmap picture_;
};

}  // namespace

void PaintOver(QWidget& control, QWidget& beneath) { new Backdrop(control, beneath); }

}  // namespace fw
