// Where a program window comes up when it opens, and the centred ones kept centred while the
// area changes size.
#include "framework/window.h"
#include "framework/window_internal.h"

#include <QMdiSubWindow>

#include <algorithm>
#include <tuple>
#include <vector>

namespace fw {

namespace detail {

void AreaResized() {
    for (Window* w : Registry()) {
        QMdiSubWindow* s = w->sub();
        if (!s || w->IsClosed() || w->placement_ != Window::Placement::Centred || !w->placed_ || w->positioned_) continue;
        if (!s->parentWidget() || s->geometry() != w->placedAt_) continue;
        s->move(w->centredPlace(s->size()));
        w->placedAt_ = s->geometry();
    }
}

}  // namespace detail

void Window::moveInsideArea() {
    QMdiSubWindow* s = sub();
    const QWidget* area = s ? s->parentWidget() : nullptr;
    if (!area) return;
    const QRect r = s->geometry();
    const int x = std::max(0, std::min(r.x(), area->width() - r.width()));
    const int y = std::max(0, std::min(r.y(), area->height() - r.height()));
    if (x != r.x() || y != r.y()) s->move(x, y);
}

// Where the window covers least of what is on screen: candidates are the area's corners and the
// places right beside each window's sides; the first with the least cover of the windows placed
// by their own code and their panels wins, then the least cover of the others, then the highest
// and leftmost.
QPoint Window::defaultPlace(QSize size) const {
    const QMdiSubWindow* mine = sub();
    const QWidget* area = mine->parentWidget();
    std::vector<QRect> anchored, others;
    for (Window* w : detail::Registry()) {
        const QMdiSubWindow* s = w->sub();
        if (w == this || w->IsClosed() || !s) continue;
        if (w->panel_) {
            // A panel comes and goes with its owner: a closed drawer may open any moment.
            const Window* owner = w->MenuWindow();
            const bool ownerShown = owner && owner != w && owner->Visible() && !owner->Minimised();
            if (s->isVisible() || ownerShown) anchored.push_back(s->geometry());
        } else if (s->isVisible()) {
            (w->positioned_ ? anchored : others).push_back(s->geometry());
        }
    }
    const int maxX = std::max(0, area->width() - size.width());
    const int maxY = std::max(0, area->height() - size.height());
    std::vector<int> xs{0, maxX}, ys{0, maxY};
    for (const auto* list : {&anchored, &others})
        for (const QRect& r : *list) {
            xs.insert(xs.end(), {r.right() + 1, r.left() - size.width()});
            ys.insert(ys.end(), {r.bottom() + 1, r.top() - size.height()});
        }
    auto cover = [](const QRect& at, const std::vector<QRect>& rects) {
        long long area = 0;
        for (const QRect& r : rects) {
            const QRect i = at.intersected(r);
            if (!i.isEmpty()) area += static_cast<long long>(i.width()) * i.height();
        }
        return area;
    };
    std::tuple<long long, long long, int, int> best{-1, 0, 0, 0};
    for (int y : ys) {
        if (y < 0 || y > maxY) continue;
        for (int x : xs) {
            if (x < 0 || x > maxX) continue;
            const QRect at(QPoint(x, y), size);
            const std::tuple<long long, long long, int, int> score{cover(at, anchored), cover(at, others), y, x};
            if (std::get<0>(best) < 0 || score < best) best = score;
        }
    }
    return QPoint(std::get<3>(best), std::get<2>(best));
}

QPoint Window::centredPlace(QSize size) const {
    const QWidget* area = sub()->parentWidget();
    return QPoint(std::max(0, (area->width() - size.width()) / 2), std::max(0, (area->height() - size.height()) / 2));
}

// A window its own code has not placed comes up where its placement puts it, each time it comes
// on screen, unless it was moved since it was last placed.
void Window::placeOnOpening() {
    QMdiSubWindow* s = sub();
    if (!s || panel_ || positioned_ || !s->parentWidget()) return;
    if (placed_ && s->geometry() != placedAt_) return;
    const QSize size = s->size();
    s->move(placement_ == Placement::Centred ? centredPlace(size) : defaultPlace(size));
    placed_ = true;
    placedAt_ = s->geometry();
}

}  // namespace fw
