#include "sprites/picturebutton.h"

#include "framework/graphics.h"

namespace {

// A look: the source unscaled (cut to the size of the plain source) with the plain mask,
// and the overlay drawn over it when there is one.
std::shared_ptr<fw::Picture> MakeLook(const fw::Picture& src, const fw::Picture& shape,
                                      const fw::Picture* overlay = nullptr) {
    auto pic = std::make_shared<fw::Picture>(shape.Width(), shape.Height());
    pic->Graphics().DrawPicture(src, 0, 0);
    if (overlay) pic->Graphics().DrawPicture(*overlay, 0, 0);
    if (const fw::Picture* m = shape.MaskIfAny()) pic->Mask().Graphics().DrawPicture(*m, 0, 0);
    return pic;
}

// Drawn over a look, it moves it 105/255 of the way towards the colour.
std::shared_ptr<fw::Picture> Overlay(int w, int h, const QColor& c) {
    auto pic = std::make_shared<fw::Picture>(w, h);
    pic->Graphics().ForeColor = c;
    pic->Graphics().FillRect(0, 0, w, h);
    pic->Mask().Graphics().ForeColor = QColor(150, 150, 150);
    pic->Mask().Graphics().FillRect(0, 0, w, h);
    return pic;
}

}  // namespace

PictureButton::PictureButton(QWidget* parent) : fw::Canvas(parent) {}

void PictureButton::Event_Open() {
    auto s0 = onInitPicture ? onInitPicture() : nullptr;
    if (!s0) return;  // no source: the button stays empty and takes no click
    auto s1 = onInitSelPicture ? onInitSelPicture() : nullptr;
    if (!s1) s1 = s0;
    const int w = s0->Width(), h = s0->Height();
    const auto black = Overlay(w, h, QColor(0, 0, 0));
    const auto white = Overlay(w, h, QColor(255, 255, 255));
    p_ = MakeLook(*s0, *s0);
    pOn_ = MakeLook(*s0, *s0, white.get());
    pPush_ = MakeLook(*s0, *s0, black.get());
    pr_ = MakeLook(*s1, *s0);
    pOnr_ = MakeLook(*s1, *s0, white.get());
    pPushr_ = MakeLook(*s1, *s0, black.get());
    mon_ = false;
    SetBackdrop(p_);
}

std::shared_ptr<fw::Picture> PictureButton::LookPicture(Look look, bool selected) const {
    switch (look) {
        case Hover: return selected ? pOnr_ : pOn_;
        case Pushed: return selected ? pPushr_ : pPush_;
        default: return selected ? pr_ : p_;
    }
}

void PictureButton::Show(Look look) {
    if (auto pic = LookPicture(look, selected_)) SetBackdrop(pic);
}

void PictureButton::ShowUnlessShown(Look look) {
    auto pic = LookPicture(look, selected_);
    if (pic && pic != Backdrop()) SetBackdrop(pic);
}

void PictureButton::SetActive(bool b) {
    selected_ = b;
    Show(mon_ ? Hover : Normal);
}

bool PictureButton::IsOn(int x, int y) const {
    if (!p_ || x < 0 || y < 0 || x >= p_->Width() || y >= p_->Height()) return false;
    const fw::Picture* m = p_->MaskIfAny();
    return !m || (m->Pixel(x, y) & 0xffffff) == 0;
}

bool PictureButton::Event_MouseDown(int x, int y) {
    if (IsOn(x, y)) {
        mon_ = true;
        ShowUnlessShown(Pushed);
    }
    return true;
}

void PictureButton::Event_MouseDrag(int x, int y) {
    if (IsOn(x, y)) {
        ShowUnlessShown(Pushed);
    } else {
        mon_ = false;
        ShowUnlessShown(Normal);
    }
}

void PictureButton::Event_MouseUp(int x, int y) {
    if (IsOn(x, y)) {
        mon_ = true;
        Show(Hover);
        if (onAction) onAction();
    } else {
        Show(Normal);
    }
}

void PictureButton::Event_MouseMove(int x, int y) {
    const bool on = IsOn(x, y);
    if (on && !mon_) {
        mon_ = true;
        Show(Hover);
    } else if (!on && mon_) {
        mon_ = false;
        Show(Normal);
    }
}

void PictureButton::Event_MouseExit() {
    Show(Normal);
    mon_ = false;
}
