#pragma once
// A canvas holding a backdrop and sprites. Reload repaints incrementally: only the places that
// changed (where each changed sprite was and where it is now) are painted again, from the
// backdrop, with every sprite over them drawn there by ascending order.
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

    // How many sprites the last Reload drew (wholly or in part; hidden ones not counted), and
    // how many changed sprites it erased.
    int LastDrawn() const { return lastDrawn_; }
    int LastErased() const { return lastErased_; }

protected:
    void Event_Open() override;
    // The backing image already holds the picture: a paint has nothing to redraw.
    void Event_Paint(fw::Graphics& g) override;

    void RedrawAll();

private:
    std::vector<std::shared_ptr<SMSprite>> sprites_;
    int lastDrawn_ = 0;
    int lastErased_ = 0;
};
