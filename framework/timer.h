#pragma once
#include <QObject>
#include <QTimer>

#include <functional>

namespace fw {

// A timer as program code sees it: Mode 0 is off, 1 fires once and then turns itself off,
// 2 fires again and again every Period milliseconds (0: at every pass of the event loop).
// Setting Mode (to 1 or 2) or Period while running starts the count anew.
// A tick runs Action(), which subclasses override, or the onAction callback when set.
class Timer : public QObject {
    Q_OBJECT
public:
    enum { ModeOff = 0, ModeSingle = 1, ModeMultiple = 2 };

    explicit Timer(QObject* parent = nullptr);
    ~Timer() override;

    int Mode() const { return mode_; }
    void SetMode(int mode);
    int Period() const { return period_; }
    void SetPeriod(int ms);

    std::function<void()> onAction;

protected:
    virtual void Action();

private:
    void restart();
    void tick();

    QTimer timer_;
    int mode_ = ModeOff;
    int period_ = 1000;
};

}  // namespace fw
