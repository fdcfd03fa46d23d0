#include "sprites/endshow.h"

#include "framework/graphics.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

constexpr int kTextSize = 50;

int Round(double v) { return static_cast<int>(std::lround(v)); }

std::shared_ptr<fw::Picture> Tiny() { return std::make_shared<fw::Picture>(1, 1); }

// A black picture whose mask is all clear: what the caller draws into the mask shows.
std::shared_ptr<fw::Picture> BlackAndClear(int w, int h) {
    auto pic = fw::Picture::New(w, h);
    if (!pic) return nullptr;
    fw::Graphics& g = pic->Graphics();
    g.ForeColor = QColor(0, 0, 0);
    g.FillRect(0, 0, w, h);
    fw::Graphics& mg = pic->Mask().Graphics();
    mg.ForeColor = QColor(255, 255, 255);
    mg.FillRect(0, 0, w, h);
    return pic;
}

// Time and move points: what is left below the level's limits, or the raw values at an
// unknown level.
std::pair<int, int> Points(int difficulty, int seconds, int moves) {
    static const int limits[3][2] = {{45, 10}, {90, 20}, {120, 40}};
    if (difficulty < 1 || difficulty > 3) return {seconds, moves};
    return {std::max(0, limits[difficulty - 1][0] - seconds), std::max(0, limits[difficulty - 1][1] - moves)};
}

}  // namespace

EndShow::EndShow(SMSpriteSurface* surface) : smss_(surface) {}

EndShow::~EndShow() {
    if (animator_) animator_->SetMode(fw::Timer::ModeOff);
}

int EndShow::Score(int difficulty, int seconds, int moves, int strategy) {
    const auto [timePoints, movePoints] = Points(difficulty, seconds, moves);
    // A damaged "difficulty" may hold any number: the product must not overflow.
    // Clamping the sum to 32 bits of magnitude changes no result (a sum beyond the 32-bit range
    // stays beyond it once multiplied by a non-zero level) and keeps the product within 64 bits.
    constexpr std::int64_t kBound = (std::int64_t(1) << 32) - 1;
    const std::int64_t sum = std::clamp<std::int64_t>(std::int64_t(timePoints) + movePoints + strategy, -kBound, kBound);
    return static_cast<int>(std::clamp<std::int64_t>(sum * difficulty, INT32_MIN, INT32_MAX));
}

std::shared_ptr<fw::Picture> EndShow::BuildPicturedText(const QString& text) {
    fw::Picture scratch(1, 1);
    fw::Graphics& sg = scratch.Graphics();
    sg.TextSize = kTextSize;
    const double w = sg.StringWidth(text);
    const int h = sg.StringHeight(text, static_cast<int>(w * 2));
    auto pic = BlackAndClear(Round(w), h);
    if (!pic) return Tiny();
    fw::Graphics& mg = pic->Mask().Graphics();
    mg.ForeColor = QColor(0, 0, 0);
    mg.TextSize = kTextSize;
    mg.DrawString(text, 0, Round(h - h / 6.0));
    return pic;
}

std::shared_ptr<fw::Picture> EndShow::BuildBackPicture(const std::vector<std::shared_ptr<SMSprite>>& lines) {
    int w = 0, s = 0;
    for (const auto& sp : lines) {
        if (!sp || !sp->image()) continue;
        w = std::max(w, sp->width());
        s += sp->height();
    }
    auto pic = BlackAndClear(w + 20, s + 20);
    if (!pic) return Tiny();
    fw::Graphics& mg = pic->Mask().Graphics();
    mg.ForeColor = QColor(130, 130, 130);
    mg.FillRoundRect(0, 0, pic->Width(), pic->Height(), 25, 25);
    return pic;
}

int EndShow::Start(int difficulty, int seconds, int moves, int strategy, bool won) {
    const int score = Score(difficulty, seconds, moves, strategy);
    if (!smss_ || animator_) return score;  // nothing to show on, or already shown

    const auto [timePoints, movePoints] = Points(difficulty, seconds, moves);
    std::array<QString, 3> texts;  // an empty one gives no line
    if (won) {
        texts = {QStringLiteral("Coup : %1").arg(movePoints), QStringLiteral("Stratégie : %1").arg(strategy),
                 QStringLiteral("Temps : %1").arg(timePoints)};
    } else {
        texts = {QStringLiteral("Vous avez perdu !"), QString(), QString()};
    }
    rSprites_.clear();
    for (int i = 0; i < 3; ++i) {
        if (texts[i].isEmpty()) continue;
        auto sp = std::make_shared<SMSprite>();
        sp->setImage(BuildPicturedText(texts[i]));
        sp->setY(-sp->height());
        sp->setOrder(kPanelOrder + 1 + i);
        rSprites_.push_back(std::move(sp));
    }

    spriteBack_ = std::make_shared<SMSprite>();
    spriteBack_->setImage(BuildBackPicture(rSprites_));
    spriteBack_->setX(Round((smss_->width() - spriteBack_->width()) / 2.0));
    spriteBack_->setY(-spriteBack_->height());
    spriteBack_->setOrder(kPanelOrder);

    for (const auto& sp : rSprites_) {
        smss_->AddSprite(sp);
        sp->setX(spriteBack_->x() + 10);
    }
    smss_->AddSprite(spriteBack_);

    time_ = 0;
    animator_ = std::make_unique<InnerTimer>(this);
    animator_->SetPeriod(kPeriodMs);
    animator_->SetMode(fw::Timer::ModeMultiple);
    return score;
}

void EndShow::TimerAction(InnerTimer& timer) {
    if (&timer != animator_.get() || !smss_ || !spriteBack_) return;
    time_ += 0.1;
    if (time_ >= kEndPhase) {
        timer.SetMode(fw::Timer::ModeOff);
        time_ = kEndPhase;
    }
    double t = 0;
    for (const auto& sp : rSprites_) t += sp->height();
    const double h = smss_->height();
    const double s = std::sin(time_);
    double a = 0;
    for (const auto& sp : rSprites_) {
        sp->setY(Round(s * (t + (h - t) / 2 + a) - t));
        a += sp->height();
    }
    const double p = spriteBack_->height();
    spriteBack_->setY(Round(s * (p + (h - p) / 2) - p));
    smss_->Reload();
}

void EndShow::Stop() {
    if (animator_) animator_->SetMode(fw::Timer::ModeOff);
    if (spriteBack_) spriteBack_->setHidded(true);
    for (const auto& sp : rSprites_) sp->setHidded(true);
    rSprites_.clear();
    if (smss_) {
        smss_->Reload();
        smss_->RemoveHiddenSprite();
    }
    spriteBack_.reset();
}
