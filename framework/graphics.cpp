#include "framework/graphics.h"

#include "framework/guard.h"
#include "framework/picture.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace fw {

namespace {

constexpr int kDefaultTextSize = 12;

QString Lines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Text is laid out from the top left of a box this wide, wrapped only at a positive width.
double BoxWidth(int wrapWidth) { return wrapWidth > 0 ? wrapWidth : 1e6; }

}  // namespace

QString MapFontName(const QString& name) {
    if (name.compare(QLatin1String("Monaco"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Courier"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("DejaVu Sans Mono");
    return QStringLiteral("DejaVu Sans");
}

QFont DesignFont(const QString& name, int pixels, bool bold, bool italic) {
    QFont f(MapFontName(name));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    if (f.family().contains(QLatin1String("Mono"))) f.setStyleHint(QFont::Monospace);
    return f;
}

Graphics::Graphics(QImage* target, std::function<void(const QRect&)> changed)
    : target_(&Deref(target, "Graphics without a target")), changed_(std::move(changed)) {}

void Graphics::Changed(const QRect& r) const {
    if (changed_) changed_(r.intersected(target_->rect()));
}

QFont Graphics::Font() const {
    QFont f = DesignFont(TextFont, TextSize > 0 ? TextSize : kDefaultTextSize, Bold, Italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

void Graphics::FillRect(int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    QPainter p(target_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(x, y, w, h), ForeColor);
    p.end();
    Changed(QRect(x, y, w, h));
}

void Graphics::FillRoundRect(int x, int y, int w, int h, int cornerW, int cornerH) {
    if (w <= 0 || h <= 0) return;
    QPainter p(target_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ForeColor);
    p.drawRoundedRect(QRectF(x, y, w, h), cornerW / 2.0, cornerH / 2.0);
    p.end();
    Changed(QRect(x, y, w, h));
}

void Graphics::DrawPicture(const std::shared_ptr<Picture>& pic, int x, int y) {
    DrawPicture(Deref(pic.get(), "DrawPicture of a nil picture"), x, y);
}

void Graphics::DrawPicture(const Picture& pic, int x, int y) {
    QPainter p(target_);
    p.drawImage(QPoint(x, y), pic.Composed());
    p.end();
    Changed(QRect(x, y, pic.Width(), pic.Height()));
}

void Graphics::DrawPicture(const std::shared_ptr<Picture>& pic, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                           int sh) {
    DrawPicture(Deref(pic.get(), "DrawPicture of a nil picture"), dx, dy, dw, dh, sx, sy, sw, sh);
}

void Graphics::DrawPicture(const Picture& pic, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    QPainter p(target_);
    if (dw != sw || dh != sh) p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(dx, dy, dw, dh), pic.Composed(), QRect(sx, sy, sw, sh));
    p.end();
    Changed(QRect(dx, dy, dw, dh));
}

void Graphics::DrawString(const QString& text, int x, int y, int wrapWidth) { DrawWrapped(Wrap(text, wrapWidth), x, y); }

WrappedText Graphics::Wrap(const QString& text, int wrapWidth) const {
    WrappedText out;
    const QFont f = Font();
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(wrapWidth > 0 ? QTextOption::WordWrap : QTextOption::NoWrap);
    double y = 0;
    for (const QString& paragraph : Lines(text).split(QLatin1Char('\n'))) {
        // Laid out for the target itself, so measures and drawing agree.
        QTextLayout layout(paragraph, f, target_);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(BoxWidth(wrapWidth));
            out.lines.push_back({paragraph.mid(line.textStart(), line.textLength()), y, line.ascent(), line.height(),
                                 line.naturalTextWidth()});
            y += line.height();
        }
        layout.endLayout();
    }
    out.height = y;
    return out;
}

void Graphics::DrawWrapped(const WrappedText& text, int x, int y) {
    if (text.lines.empty()) return;
    const double top = y - text.lines.front().ascent;
    QPainter p(target_);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(Font());
    p.setPen(ForeColor);
    QRectF drawn;
    for (const WrappedText::Line& line : text.lines) {
        const double lineTop = top + line.top;
        if (lineTop >= target_->height() || lineTop + line.height <= 0 || line.text.isEmpty()) continue;
        p.drawText(QPointF(x, lineTop + line.ascent), line.text);
        drawn |= QRectF(x, lineTop, line.width, line.height);
    }
    p.end();
    if (!drawn.isEmpty()) Changed(drawn.toAlignedRect().adjusted(-2, -2, 2, 2));
}

double Graphics::StringWidth(const QString& text) const {
    const QFontMetricsF fm(Font());
    double w = 0;
    for (const QString& line : Lines(text).split(QLatin1Char('\n'))) w = std::max(w, fm.horizontalAdvance(line));
    return w;
}

int Graphics::StringHeight(const QString& text, int wrapWidth) const {
    return static_cast<int>(std::ceil(Wrap(text, wrapWidth).height));
}

QColor Graphics::Pixel(int x, int y) const {
    if (!target_->rect().contains(x, y)) return QColor(0, 0, 0);
    QColor c = target_->pixelColor(x, y);
    c.setAlpha(255);
    return c;
}

void Graphics::SetPixel(int x, int y, const QColor& c) {
    if (!target_->rect().contains(x, y)) return;
    target_->setPixelColor(x, y, c);
    Changed(QRect(x, y, 1, 1));
}

}  // namespace fw
