#include "sprites/innertimer.h"

InnerTimer::InnerTimer(InnerTimerInterface* target, QObject* parent) : fw::Timer(parent), target_(target) {}

void InnerTimer::Action() {
    if (target_) target_->TimerAction(*this);
}
