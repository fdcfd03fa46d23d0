#pragma once
// The board's animators: a token falling into its column, the winning line pulsing and a
// refused token flying home. Each ignores a start while it runs and switches itself off when
// done. Step() is one tick, as the timer delivers it.
#include <QPointer>

#include <array>
#include <memory>

#include "framework/timer.h"
#include "game/quadruplet.h"
#include "sprites/jeton.h"
#include "sprites/surface.h"

// Ticks at most once per displayed frame: shorter periods would end a fall before the screen
// shows it. The steps per tick stay as they are, so a fall keeps its number of ticks.
class FrameAnimator : public fw::Timer {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 16;
    explicit FrameAnimator(QObject* parent = nullptr);
    void SetPeriod(int ms) { fw::Timer::SetPeriod(ms < kFrameMs ? kFrameMs : ms); }
    bool IsRunning() const { return isRunning_; }
    virtual void Step() = 0;

protected:
    void Action() override { Step(); }
    bool isRunning_ = false;
};

// The surface of a fall hears of the landing when it implements this.
class FallListener {
public:
    virtual ~FallListener() = default;
    virtual void TomberAnimFinish(int col) = 0;
};

class AnimTomber : public FrameAnimator {
    Q_OBJECT
public:
    static constexpr int kStep = 30;
    using FrameAnimator::FrameAnimator;

    // Lets token fall from startY to targetY, 30 pixels a tick, on map. One tick after it has
    // landed, map's TomberAnimFinish(col) runs once (when map is a FallListener), with this
    // animator already off. Ignored without a token or map, or while a fall runs.
    void Tomber(int startY, int targetY, int col, std::shared_ptr<Jeton> token, SMSpriteSurface* map);
    // Ends a fall where it is, without the landing report (a new game has begun).
    void Cancel();
    void Step() override;

private:
    int ay_ = 0;
    int pos_ = 0;
    std::shared_ptr<Jeton> tjet_;
    QPointer<SMSpriteSurface> tmap_;
    int ry_ = 0;
    bool willStop_ = false;
};

class AnimWinner : public FrameAnimator {
    Q_OBJECT
public:
    using FrameAnimator::FrameAnimator;

    // Pulses the tokens of line on map until StopIt; ignored while it runs.
    void Animer(const Quadruplet& line, SMSpriteSurface* map);
    // The tokens keep the look of the last step.
    void StopIt();
    void Step() override;

    // Inset of the last step, in pixels.
    double Inset() const { return rd_; }

protected:
    void Action() override;

private:
    // The whole-pixel inset of the square at a phase.
    static int InsetAt(double phase);

    Quadruplet tquad_;
    QPointer<SMSpriteSurface> tmap_;
    double ri_ = 0;
    double rd_ = 0;
    // The inset of the picture the tokens show; -1 before the first tick.
    int shownInset_ = -1;
    // The pictures of this line, by inset.
    std::array<std::shared_ptr<fw::Picture>, 11> faces_;
    // Ticks of kFrameMs that the next timer event stands for.
    int dueTicks_ = 1;
};

class AnimReturn : public FrameAnimator {
    Q_OBJECT
public:
    static constexpr int kStep = 25;
    using FrameAnimator::FrameAnimator;

    // Flies token in a straight line from (startX, startY) home to (homeX, homeY), 25 pixels a
    // tick; ignored without a token or map, or while a flight runs. No report at the end.
    void MoveFrom(int homeX, int homeY, int startX, int startY, std::shared_ptr<Jeton> token, SMSpriteSurface* map);
    // Ends a flight where it is (a new game has begun).
    void Cancel();
    void Step() override;

    // Direction of (dx, dy) in degrees, 0 up to below 360, y counted upwards.
    static double getangleinterne(int dx, int dy);

private:
    int frx_ = 0;
    int fry_ = 0;
    std::shared_ptr<Jeton> jet_;
    QPointer<SMSpriteSurface> tmap_;
    double rd_ = 0;
    double re_ = 0;
};
