#pragma once
// The end-of-game show: the score lines in large text on a translucent dark panel that slides
// down from above the board to its centre, then stays until Stop.
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

#include "sprites/innertimer.h"
#include "sprites/sprite.h"
#include "sprites/surface.h"

class EndShow : public InnerTimerInterface {
public:
    static constexpr double kEndPhase = 1.570796326795;
    static constexpr int kPeriodMs = 25;
    static constexpr int kPanelOrder = 500;

    explicit EndShow(SMSpriteSurface* surface);
    ~EndShow() override;

    // (time points + move points + strategy) x difficulty; the points depend on difficulty.
    static int Score(int difficulty, int seconds, int moves, int strategy);

    // Builds the sprites, puts them above the board and starts the slide; draws nothing
    // itself. Returns the score, also for a lost game.
    int Start(int difficulty, int seconds, int moves, int strategy, bool won);
    // Takes the show off the surface and stops its timer.
    void Stop();
    void TimerAction(InnerTimer& timer) override;

    InnerTimer* Animator() const { return animator_.get(); }
    const std::shared_ptr<SMSprite>& Panel() const { return spriteBack_; }
    // The text sprites, top first.
    const std::vector<std::shared_ptr<SMSprite>>& Lines() const { return rSprites_; }
    double Phase() const { return time_; }

    static std::shared_ptr<fw::Picture> BuildPicturedText(const QString& text);
    static std::shared_ptr<fw::Picture> BuildBackPicture(const std::vector<std::shared_ptr<SMSprite>>& lines);

private:
    QPointer<SMSpriteSurface> smss_;
    double time_ = 0;
    std::unique_ptr<InnerTimer> animator_;
    std::shared_ptr<SMSprite> spriteBack_;
    std::vector<std::shared_ptr<SMSprite>> rSprites_;
};
