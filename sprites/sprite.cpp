#include "sprites/sprite.h"

void SMSprite::setX(int v) {
    if (v == ax_) return;
    lx_ = lastInitiedX_ ? ax_ : v;
    lastInitiedX_ = true;
    ax_ = v;
    needReload_ = true;
}

void SMSprite::setY(int v) {
    if (v == ay_) return;
    ly_ = lastInitiedY_ ? ay_ : v;
    lastInitiedY_ = true;
    ay_ = v;
    needReload_ = true;
}

void SMSprite::setOrder(int v) {
    aorder_ = v;
    needReload_ = true;
}

void SMSprite::setImage(std::shared_ptr<fw::Picture> p) {
    pict_ = std::move(p);
    needReload_ = true;
}

void SMSprite::setHidded(bool h) {
    ahidded_ = h;
    needReload_ = true;
}

bool SMSprite::IntersectWith(const SMSprite& t, bool useLast) const {
    if (!pict_ || !t.pict_) return false;
    const int sx = useLast ? lx_ : ax_;
    const int sy = useLast ? ly_ : ay_;
    const int sw = width(), sh = height();
    const int tx = t.ax_, ty = t.ay_, tw = t.width(), th = t.height();
    return !(tx + tw < sx || sx + sw < tx || ty + th < sy || sy + sh < ty);
}

void SMSprite::WasReloaded() {
    lx_ = ax_;
    ly_ = ay_;
    needReload_ = false;
}
