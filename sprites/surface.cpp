#include "sprites/surface.h"

#include <QRegion>

#include <algorithm>

namespace {

// Hoare's quicksort by drawing order; equal orders come out in no promised order.
int Partition(std::vector<SMSprite*>& a, int lo, int hi) {
    const int pivot = a[lo]->order();
    int i = lo - 1, j = hi + 1;
    for (;;) {
        do --j; while (a[j]->order() > pivot);
        do ++i; while (a[i]->order() < pivot);
        if (i < j) std::swap(a[i], a[j]);
        else return j;
    }
}

void SortByOrder(std::vector<SMSprite*>& a, int lo, int hi) {
    if (lo >= hi) return;
    const int p = Partition(a, lo, hi);
    SortByOrder(a, lo, p);
    SortByOrder(a, p + 1, hi);
}

}  // namespace

SMSpriteSurface::SMSpriteSurface(QWidget* parent) : fw::Canvas(parent) {}

SMSpriteSurface::~SMSpriteSurface() = default;

void SMSpriteSurface::AddSprite(std::shared_ptr<SMSprite> s) {
    if (s) sprites_.push_back(std::move(s));
}

void SMSpriteSurface::SetBackdrop(std::shared_ptr<fw::Picture> p) {
    backdrop_ = std::move(p);
    UpdateOpacity();
    RedrawAll();
}

void SMSpriteSurface::RemoveHiddenSprite() {
    for (int i = int(sprites_.size()) - 1; i >= 0; --i)
        if (sprites_[i]->hidded()) sprites_.erase(sprites_.begin() + i);
}

void SMSpriteSurface::Event_Open() {
    if (onOpen) onOpen();
}

void SMSpriteSurface::Event_Paint(fw::Graphics&) {}

void SMSpriteSurface::RedrawAll() {
    if (!backdrop_) return;
    Graphics().DrawPicture(*backdrop_, 0, 0);
    for (auto& s : sprites_) s->ForceReload();
    Reload();
}

void SMSpriteSurface::Reload() {
    lastDrawn_ = lastErased_ = 0;
    if (!backdrop_) return;
    // The places that change: where each marked sprite was drawn, and where it is now.
    std::vector<SMSprite*> marked;
    QRegion damage;
    for (const auto& s : sprites_) {
        if (!s->ShouldReload()) continue;
        marked.push_back(s.get());
        if (!s->image()) continue;
        int lx, ly;
        s->GetLastPosition(lx, ly);
        damage += QRect(lx, ly, s->width(), s->height());
        damage += QRect(s->x(), s->y(), s->width(), s->height());
        ++lastErased_;
    }
    for (SMSprite* s : marked) s->WasReloaded();
    damage &= BackingImage().rect();
    if (damage.isEmpty()) return;

    // Every sprite over those places is drawn again there, and only there, lower orders first:
    // the picture ends as a full redraw would leave it, and nothing else is touched.
    std::vector<SMSprite*> over;
    for (const auto& s : sprites_)
        if (!s->hidded() && s->image() && damage.intersects(QRect(s->x(), s->y(), s->width(), s->height())))
            over.push_back(s.get());
    if (!over.empty()) SortByOrder(over, 0, int(over.size()) - 1);
    lastDrawn_ = int(over.size());

    fw::Graphics& g = Graphics();
    DrawThenShow(
        [&] {
            // The region's rectangles do not overlap, so no pixel is blended twice.
            for (const QRect& r : damage) {
                g.DrawPicture(*backdrop_, r.x(), r.y(), r.width(), r.height(), r.x(), r.y(), r.width(), r.height());
                for (SMSprite* s : over) {
                    const QRect place(s->x(), s->y(), s->width(), s->height());
                    const QRect part = place & r;
                    if (part.isEmpty()) continue;
                    g.DrawPicture(*s->image(), part.x(), part.y(), part.width(), part.height(), part.x() - place.x(),
                                  part.y() - place.y(), part.width(), part.height());
                }
            }
        },
        damage);
}
