#pragma once
// A picture with a position, a drawing order and a hidden flag, drawn by a sprite surface.
// Every setter marks the sprite for the surface's next Reload; the surface erases it at its
// last drawn position (lx, ly) and draws it at the current one.
#include <memory>

#include "framework/picture.h"

class SMSprite {
public:
    SMSprite() = default;
    virtual ~SMSprite() = default;

    int x() const { return ax_; }
    int y() const { return ay_; }
    // Setting the current value does not mark the sprite. The first move of a new sprite
    // also sets its last position, so the first Reload erases nothing at the origin.
    void setX(int v);
    void setY(int v);

    int order() const { return aorder_; }
    void setOrder(int v);
    const std::shared_ptr<fw::Picture>& image() const { return pict_; }
    void setImage(std::shared_ptr<fw::Picture> p);
    bool hidded() const { return ahidded_; }
    void setHidded(bool h);

    // Width and height of the image; 0 without one.
    int width() const { return pict_ ? pict_->Width() : 0; }
    int height() const { return pict_ ? pict_->Height() : 0; }

    virtual bool ShouldReload() const { return needReload_; }
    // Whether this sprite's rectangle (the last one with useLast) and the other's current
    // rectangle overlap or touch: edges are inclusive, so sharing an edge or a corner counts.
    virtual bool IntersectWith(const SMSprite& other, bool useLast) const;
    virtual void ForceReload() { needReload_ = true; }
    virtual void GetLastPosition(int& lx, int& ly) const { lx = lx_, ly = ly_; }
    virtual void WasReloaded();

private:
    bool needReload_ = false;
    std::shared_ptr<fw::Picture> pict_;
    int ax_ = 0;
    int ay_ = 0;
    int aorder_ = 0;
    int lx_ = 0;
    int ly_ = 0;
    bool lastInitiedX_ = false;
    bool lastInitiedY_ = false;
    bool ahidded_ = false;
};

using SpriteRef = std::shared_ptr<SMSprite>;
