#pragma once
// A canvas holding a backdrop and sprites. Reload repaints incrementally: the sprites that
// changed, and every sprite touching (directly or through a chain) the place a changed sprite
// left or now occupies, are erased from the backdrop and drawn again by ascending order.
#include <functional>
#include <memory>
#include <vector>

#include "framework/canvas.h"
#include "sprites/sprite.h"

class SMSpriteSurface : public fw::Canvas {
    Q_OBJECT
public:
    explicit SMSpriteSurface(QWidget* parent = nullptr);
    ~SMSpriteSurface() override;

    // Before a backdrop exists it draws nothing and leaves the sprites marked.
    void Reload();
    // Null is ignored; the sprite is drawn at the next Reload that finds it marked.
    void AddSprite(std::shared_ptr<SMSprite> s);
    // Stores the backdrop and redraws everything.
    void SetBackdrop(std::shared_ptr<fw::Picture> p) override;
    void RemoveHiddenSprite();

    const std::vector<std::shared_ptr<SMSprite>>& Sprites() const { return sprites_; }
    const std::shared_ptr<fw::Picture>& Back() const { return backdrop_; }

    // The surface's own Open event, for its window; subclasses may override Event_Open.
    std::function<void()> onOpen;

    // How many sprites the last Reload drew (hidden ones not counted) and erased.
    int LastDrawn() const { return lastDrawn_; }
    int LastErased() const { return lastErased_; }

protected:
    void Event_Open() override;
    // The backing image already holds the picture: a paint has nothing to redraw.
    void Event_Paint(fw::Graphics& g) override;

    void RedrawAll();

private:
    void ComputeIntersect(const SMSprite* s, std::vector<SMSprite*>& d, bool useLast);

    std::vector<std::shared_ptr<SMSprite>> sprites_;
    std::vector<char> inSet_;  // scratch of Reload, by index in sprites_
    int lastDrawn_ = 0;
    int lastErased_ = 0;
};
