#include "sprites/animators.h"

#include "sprites/resources.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;
int Round(double v) { return static_cast<int>(std::lround(v)); }
}  // namespace

FrameAnimator::FrameAnimator(QObject* parent) : fw::Timer(parent) {
    fw::Timer::SetPeriod(kFrameMs);
}

// ---------------------------------------------------------------- fall

void AnimTomber::Tomber(int startY, int targetY, int col, std::shared_ptr<Jeton> token, SMSpriteSurface* map) {
    if (!token || !map || isRunning_) return;
    ay_ = targetY;
    pos_ = col;
    tjet_ = std::move(token);
    tmap_ = map;
    ry_ = startY;
    isRunning_ = true;
    willStop_ = false;
    SetMode(ModeMultiple);
}

void AnimTomber::Cancel() {
    SetMode(ModeOff);
    isRunning_ = false;
    willStop_ = false;
    tjet_.reset();
}

void AnimTomber::Step() {
    if (!isRunning_) return;
    if (!tmap_) {  // the board went away mid-fall: nobody is left to tell
        Cancel();
        return;
    }
    if (willStop_) {
        Cancel();
        if (auto* l = dynamic_cast<FallListener*>(tmap_.data())) l->TomberAnimFinish(pos_);
        return;
    }
    if (ay_ <= ry_) {
        tjet_->setY(ay_);
        tmap_->Reload();
        willStop_ = true;
    } else {
        tjet_->setY(ry_);
        tmap_->Reload();
        ry_ += kStep;
    }
}

// ---------------------------------------------------------------- winning line

void AnimWinner::Animer(const Quadruplet& line, SMSpriteSurface* map) {
    if (isRunning_ || !map) return;
    tquad_ = line;
    tmap_ = map;
    ri_ = 1.570796327;
    shownInset_ = -1;
    faces_ = {};
    dueTicks_ = 1;
    isRunning_ = true;
    fw::Timer::SetPeriod(kFrameMs);
    SetMode(ModeMultiple);
}

void AnimWinner::StopIt() {
    SetMode(ModeOff);
    isRunning_ = false;
}

int AnimWinner::InsetAt(double phase) { return Round((std::cos(phase) + 1) * 5); }

void AnimWinner::Action() {
    // One timer event stands for dueTicks_ ticks: those that would show the picture already
    // on the board pass without waking the program, and it wakes for the one that changes it.
    for (int i = 0; i < dueTicks_ && isRunning_; ++i) Step();
    if (!isRunning_) return;
    int n = 1;
    while (n < 64 && InsetAt(ri_ + 0.1 * (n - 1)) == shownInset_) ++n;
    dueTicks_ = n;
    fw::Timer::SetPeriod(n * kFrameMs);
}

void AnimWinner::Step() {
    if (!isRunning_) return;
    if (!tmap_) {
        StopIt();
        return;
    }
    rd_ = (std::cos(ri_) + 1) * 5;
    const int inset = Round(rd_);
    ri_ += 0.1;
    // The square changes by whole pixels: a tick whose square is the one shown draws nothing.
    if (inset == shownInset_) return;
    shownInset_ = inset;
    // The token shrinks about its centre: the square's side is what the inset leaves of 70,
    // within a pixel of 70 - 2 rd. There are eleven such pictures; each is made once.
    std::shared_ptr<fw::Picture> pic = faces_[std::size_t(std::clamp(inset, 0, 10))];
    if (!pic) {
        const int side = 70 - 2 * inset;
        pic = std::make_shared<fw::Picture>(70, 70);
        std::shared_ptr<fw::Picture> face;
        if (tquad_.colKind == -1) face = jaune();
        else if (tquad_.colKind == 1) face = bleu();
        if (face) pic->Graphics().DrawPicture(*face, inset, inset, side, side, 0, 0, 70, 70);
        fw::Graphics& mg = pic->Mask().Graphics();
        mg.ForeColor = Qt::white;
        mg.FillRect(0, 0, 70, 70);
        auto m = masque();
        if (m) mg.DrawPicture(*m, inset, inset, side, side, 0, 0, 70, 70);
        // A picture that could not be fetched is asked for again next time.
        if (face && m) faces_[std::size_t(std::clamp(inset, 0, 10))] = pic;
    }
    for (const JetonRef* id : {&tquad_.ID1, &tquad_.ID2, &tquad_.ID3, &tquad_.ID4, &tquad_.ID5, &tquad_.ID6, &tquad_.ID7})
        if (*id) (*id)->setImage(pic);
    tmap_->Reload();
}

// ---------------------------------------------------------------- flight home

double AnimReturn::getangleinterne(int dx, int dy) {
    if (dx == 0 && dy == 0) return 0;
    if (dx == 0) return dy > 0 ? 90 : 270;
    if (dy == 0) return dx > 0 ? 0 : 180;
    const double t = std::abs(std::atan((dy * kPi / 180) / (dx * kPi / 180))) * 180 / kPi;
    if (dx > 0 && dy > 0) return t;
    if (dx < 0 && dy > 0) return 180 - t;
    if (dx < 0) return 180 + t;
    return 360 - t;
}

void AnimReturn::Cancel() {
    SetMode(ModeOff);
    isRunning_ = false;
    jet_.reset();
}

void AnimReturn::MoveFrom(int homeX, int homeY, int startX, int startY, std::shared_ptr<Jeton> token,
                          SMSpriteSurface* map) {
    if (!token || !map || isRunning_) return;
    frx_ = homeX;
    fry_ = homeY;
    jet_ = std::move(token);
    tmap_ = map;
    rd_ = getangleinterne(startX - frx_, fry_ - startY) * kPi / 180;
    re_ = std::sqrt(double(frx_ - startX) * (frx_ - startX) + double(fry_ - startY) * (fry_ - startY));
    isRunning_ = true;
    SetMode(ModeMultiple);
}

void AnimReturn::Step() {
    if (!isRunning_) return;
    if (!tmap_) {
        Cancel();
        return;
    }
    if (re_ <= 0) {
        jet_->setX(frx_);
        jet_->setY(fry_);
        tmap_->Reload();
        Cancel();
        return;
    }
    jet_->setX(Round(frx_ + re_ * std::cos(rd_)));
    jet_->setY(Round(fry_ - re_ * std::sin(rd_)));
    tmap_->Reload();
    re_ -= kStep;
}
