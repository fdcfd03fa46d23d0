#pragma once
// A picture of depth 32 with an optional mask of the same size. In the mask black shows the
// picture, white shows what lies beneath and grey blends. A picture without a mask is opaque;
// asking for its Mask() gives it an all-black (still opaque) one.
#include <QImage>

#include <cstdint>
#include <memory>

namespace fw {

class Graphics;

class Picture {
public:
    // w and h below 1 are taken as 1: a picture always has pixels.
    Picture(int w, int h, int depth = 32);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // A new picture, or null when the size is not positive or too large to allocate.
    static std::shared_ptr<Picture> New(int w, int h);
    // An opaque copy of the image (no mask), or null for a null image.
    static std::shared_ptr<Picture> FromImage(const QImage& image);
    // The application's picture resource with this id, or null when there is none.
    static std::shared_ptr<Picture> FromResource(int id);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    int Depth() const { return 32; }

    fw::Graphics& Graphics();
    Picture& Mask();
    bool HasMask() const { return mask_ != nullptr; }
    const Picture* MaskIfAny() const { return mask_.get(); }

    QRgb Pixel(int x, int y) const;
    const QImage& Image() const { return image_; }
    // The picture ready to be drawn through its mask (premultiplied alpha). Built again only
    // after the picture or its mask has changed since the last call.
    const QImage& Composed() const;

    // Raised by every change of the pixels; the composed form compares it.
    std::uint64_t Version() const { return version_; }
    void Touch() { ++version_; }

private:
    QImage image_;
    std::unique_ptr<Picture> mask_;
    std::unique_ptr<fw::Graphics> graphics_;
    std::uint64_t version_ = 0;

    mutable QImage composed_;
    mutable std::uint64_t composedVersion_ = ~std::uint64_t{0};
    mutable std::uint64_t composedMaskVersion_ = ~std::uint64_t{0};
    mutable std::uint64_t composedBuilds_ = 0;

public:
    // How often Composed() has rebuilt; lets tests see that the cache holds.
    std::uint64_t ComposeCount() const { return composedBuilds_; }
};

using PictureRef = std::shared_ptr<Picture>;

}  // namespace fw
