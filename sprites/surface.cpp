#include "sprites/surface.h"

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

void SMSpriteSurface::ComputeIntersect(const SMSprite* s, std::vector<SMSprite*>& d, bool useLast) {
    const std::size_t n = sprites_.size();
    for (std::size_t i = 0; i < n; ++i) {
        SMSprite* t = sprites_[i].get();
        if (t == s || inSet_[i] || !s->IntersectWith(*t, useLast)) continue;
        inSet_[i] = 1;
        d.push_back(t);
        ComputeIntersect(t, d, useLast);
    }
}

void SMSpriteSurface::Reload() {
    lastDrawn_ = lastErased_ = 0;
    if (!backdrop_) return;
    const std::size_t n = sprites_.size();
    inSet_.assign(n, 0);
    std::vector<SMSprite*> d;  // the marked sprites first, then those they touch
    for (std::size_t i = 0; i < n; ++i)
        if (sprites_[i]->ShouldReload()) {
            d.push_back(sprites_[i].get());
            inSet_[i] = 1;
        }
    if (d.empty()) return;

    // By index: the search appends to d.
    for (std::size_t k = 0, marked = d.size(); k < marked; ++k) {
        ComputeIntersect(d[k], d, true);
        ComputeIntersect(d[k], d, false);
    }
    SortByOrder(d, 0, int(d.size()) - 1);

    fw::Graphics& g = Graphics();
    // Every erase comes before any drawing, so no sprite is wiped out by another's erase.
    for (SMSprite* s : d) {
        if (!s->image()) continue;
        int lx, ly;
        s->GetLastPosition(lx, ly);
        g.DrawPicture(*backdrop_, lx, ly, s->width(), s->height(), lx, ly, s->width(), s->height());
        ++lastErased_;
    }
    for (SMSprite* s : d) {
        s->WasReloaded();
        if (s->hidded() || !s->image()) continue;
        g.DrawPicture(*s->image(), s->x(), s->y());
        ++lastDrawn_;
    }
}
