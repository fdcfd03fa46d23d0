#include "framework/timer.h"

#include "framework/guard.h"

namespace fw {

Timer::Timer(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &Timer::tick);
}

Timer::~Timer() = default;

void Timer::SetMode(int mode) {
    mode_ = (mode == ModeSingle || mode == ModeMultiple) ? mode : ModeOff;
    restart();
}

void Timer::SetPeriod(int ms) {
    period_ = ms < 0 ? 0 : ms;
    if (mode_ != ModeOff) restart();
}

void Timer::restart() {
    timer_.stop();
    if (mode_ == ModeOff) return;
    timer_.setSingleShot(mode_ == ModeSingle);
    timer_.start(period_);
}

void Timer::tick() {
    // A single-shot timer is off before its action runs, so the action may start it again.
    if (mode_ == ModeSingle) mode_ = ModeOff;
    Guard("Timer.Action", [this] { Action(); });
}

void Timer::Action() {
    if (onAction) onAction();
}

}  // namespace fw
