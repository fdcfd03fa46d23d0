#include "framework/picture.h"

#include "framework/graphics.h"

#include <QString>

namespace fw {

namespace {
constexpr int kMaxSide = 16384;
}

Picture::Picture(int w, int h, int /*depth*/)
    : image_(w < 1 ? 1 : w, h < 1 ? 1 : h, QImage::Format_RGB32) {
    if (image_.isNull()) image_ = QImage(1, 1, QImage::Format_RGB32);
    image_.fill(Qt::white);
}

Picture::~Picture() = default;

std::shared_ptr<Picture> Picture::New(int w, int h) {
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return nullptr;
    auto p = std::make_shared<Picture>(w, h);
    if (p->Width() != w || p->Height() != h) return nullptr;
    return p;
}

std::shared_ptr<Picture> Picture::FromImage(const QImage& image) {
    if (image.isNull()) return nullptr;
    auto p = New(image.width(), image.height());
    if (!p) return nullptr;
    p->image_ = image.convertToFormat(QImage::Format_RGB32);
    p->Touch();
    return p;
}

std::shared_ptr<Picture> Picture::FromResource(int id) {
    QImage img(QStringLiteral(":/pict/%1.png").arg(id));
    return FromImage(img);
}

fw::Graphics& Picture::Graphics() {
    if (!graphics_) graphics_ = std::make_unique<fw::Graphics>(&image_, [this](const QRect&) { Touch(); });
    return *graphics_;
}

Picture& Picture::Mask() {
    if (!mask_) {
        mask_ = std::make_unique<Picture>(Width(), Height());
        mask_->image_.fill(Qt::black);
    }
    return *mask_;
}

QRgb Picture::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return qRgb(0, 0, 0);
    return image_.pixel(x, y);
}

const QImage& Picture::Composed() const {
    if (!mask_) return image_;
    if (composedVersion_ == version_ && composedMaskVersion_ == mask_->version_) return composed_;
    const int w = Width(), h = Height();
    if (composed_.size() != image_.size()) composed_ = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
        const QRgb* m = reinterpret_cast<const QRgb*>(mask_->image_.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(composed_.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = 255 - qGray(m[x]);
            const QRgb s = src[x];
            dst[x] = qRgba((qRed(s) * a + 127) / 255, (qGreen(s) * a + 127) / 255, (qBlue(s) * a + 127) / 255, a);
        }
    }
    composedVersion_ = version_;
    composedMaskVersion_ = mask_->version_;
    ++composedBuilds_;
    return composed_;
}

}  // namespace fw
