#pragma once
#include <QColor>

#include <memory>

#include "framework/graphics.h"
#include "framework/picture.h"
#include "sprites/surface.h"

inline std::shared_ptr<fw::Picture> Solid(int w, int h, QColor c) {
    auto p = std::make_shared<fw::Picture>(w, h);
    p->Graphics().ForeColor = c;
    p->Graphics().FillRect(0, 0, w, h);
    return p;
}

inline QColor At(SMSpriteSurface& s, int x, int y) {
    return s.BackingImage().pixelColor(x, y);
}

inline QColor At(const fw::Picture& p, int x, int y) {
    return QColor::fromRgb(p.Pixel(x, y));
}

// Paints over part of the canvas, so a test sees whether a Reload drew there again.
inline void Smudge(SMSpriteSurface& s, int x, int y, int w = 1, int h = 1) {
    s.Graphics().ForeColor = QColor(255, 0, 255);
    s.Graphics().FillRect(x, y, w, h);
}

inline bool Near(const QColor& a, const QColor& b, int tol = 2) {
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
           std::abs(a.blue() - b.blue()) <= tol;
}
