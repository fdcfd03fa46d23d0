#include "framework/pagepanel.h"

#include "framework/guard.h"

namespace fw {

PagePanel::PagePanel(int pages, QWidget* parent) : QWidget(parent) {
    for (int i = 0; i < pages; ++i) {
        auto* p = new QWidget(this);
        p->setObjectName(QStringLiteral("page%1").arg(i));
        p->setGeometry(rect());
        p->setVisible(i == 0);
        pages_.push_back(p);
    }
}

void PagePanel::SetValue(int page) {
    value_ = page;
    for (int i = 0; i < PageCount(); ++i) pages_[std::size_t(i)]->setVisible(i == page);
}

QWidget* PagePanel::Page(int page) const { return page >= 0 && page < PageCount() ? pages_[std::size_t(page)] : nullptr; }

void PagePanel::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    for (QWidget* p : pages_) p->setGeometry(rect());
}

void PlaceAt(QWidget* w, QWidget* origin, const QRect& r) {
    QWidget* parent = Deref(w, "PlaceAt").parentWidget();
    const QPoint at = parent && origin && origin != parent ? parent->mapFrom(origin, r.topLeft()) : r.topLeft();
    w->setGeometry(QRect(at, r.size()));
}

}  // namespace fw
