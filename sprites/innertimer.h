#pragma once
// A timer made in code that hands each tick to a target object. A target may own several
// and tell them apart by the timer it is handed.
#include "framework/timer.h"

class InnerTimer;

class InnerTimerInterface {
public:
    virtual ~InnerTimerInterface() = default;
    virtual void TimerAction(InnerTimer& timer) = 0;
};

class InnerTimer : public fw::Timer {
    Q_OBJECT
public:
    // The target usually owns the timer, so the timer does not own it back.
    explicit InnerTimer(InnerTimerInterface* target, QObject* parent = nullptr);

    // One tick, as the event loop would deliver it; a timer without a target does nothing.
    void Fire() { Action(); }

protected:
    void Action() override;

private:
    InnerTimerInterface* target_;
};
