#pragma once
// Drawing into a picture or a canvas. The drawing state (colour, font) stays with the object,
// as callers set it once and draw several times.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace fw {

class Picture;

// Debian's stand-ins for the font names that program code asks for.
QString MapFontName(const QString& name);
// A font by its design name at a pixel size: the windows were designed at 72 dpi, where points
// were pixels.
QFont DesignFont(const QString& name, int pixels, bool bold = false, bool italic = false);

// A text broken into lines at a wrap width, as a Graphics lays it out in its font. Plain data:
// one thread may lay a long text out once, and another draw it again and again, each time
// shaping only the lines that show.
struct WrappedText {
    struct Line {
        QString text;
        double top = 0;  // from the top of the first line
        double ascent = 0;
        double height = 0;
        double width = 0;
    };
    std::vector<Line> lines;
    double height = 0;
};

class Graphics {
public:
    // target must outlive the Graphics; changed hears of every area drawn.
    explicit Graphics(QImage* target, std::function<void(const QRect&)> changed = {});

    QColor ForeColor = Qt::black;
    QString TextFont;   // empty: the default font
    int TextSize = 0;   // pixels; 0: the default size
    bool Bold = false;
    bool Italic = false;

    int Width() const { return target_->width(); }
    int Height() const { return target_->height(); }

    void SetForeColor(int r, int g, int b) { ForeColor = QColor(r, g, b); }
    void FillRect(int x, int y, int w, int h);
    void FillRoundRect(int x, int y, int w, int h, int cornerW, int cornerH);

    // The whole picture at (x, y), through its mask. A null picture raises NilObjectException.
    void DrawPicture(const std::shared_ptr<Picture>& p, int x, int y);
    void DrawPicture(const Picture& p, int x, int y);
    // The source rectangle of p scaled into the destination rectangle, through its mask.
    void DrawPicture(const std::shared_ptr<Picture>& p, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
    void DrawPicture(const Picture& p, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);

    // Text with its first baseline at y; wrapWidth > 0 wraps the lines at that width.
    // Carriage returns and line feeds both break lines.
    void DrawString(const QString& text, int x, int y, int wrapWidth = 0);
    // The lines DrawString draws and StringHeight measures, in this Graphics' font.
    WrappedText Wrap(const QString& text, int wrapWidth) const;
    // Draws a wrapped text, its first baseline at y; lines wholly outside the target are skipped.
    // The text must have been wrapped in the same font.
    void DrawWrapped(const WrappedText& text, int x, int y);
    double StringWidth(const QString& text) const;
    int StringHeight(const QString& text, int wrapWidth) const;

    QColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, const QColor& c);

    QFont Font() const;

private:
    void Changed(const QRect& r) const;

    QImage* target_;
    std::function<void(const QRect&)> changed_;
};

}  // namespace fw
