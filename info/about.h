#pragma once
// The about window: a few lines on the program, three buttons that open the site, the forum and
// a mail to the authors, and credits that scroll through a 300 x 100 frame at its bottom.
//
// The credits are rendered ahead of time by a producer thread (Buffering) into a queue of
// finished frames (tab); a display timer (Shower) puts at most one frame per 30 000 us into the
// canvas, and a restart timer (Relauncher) runs the producer again whenever the queue has run low.
// The producer draws only into pictures of its own and never touches a widget.
#include "framework/graphics.h"
#include "framework/picture.h"
#include "shell/closablewin.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>

class QLabel;

namespace fw {
class BevelButton;
class Canvas;
class Thread;
class Timer;
}  // namespace fw

namespace wnd {

// The frames between the producer and the display: element 0 is the next frame to show. The
// producer appends while the display takes the front, each under the queue's lock.
class FrameQueue {
public:
    int Count() const;
    // Count() - 1: -1 when empty.
    int HighestIndex() const { return Count() - 1; }
    void Append(fw::PictureRef frame);
    // The front frame, removed from the queue; null when the queue is empty.
    fw::PictureRef TakeFront();
    void Clear();

private:
    mutable std::mutex lock_;
    std::deque<fw::PictureRef> frames_;
};

class about : public shell::ClosableWin {
    Q_OBJECT
public:
    about();
    ~about() override;

    // The queue's target while the Alt key is up, and while it is held.
    static constexpr std::int32_t kAmount = 50;
    static constexpr std::int32_t kAmountFast = 100;
    // At most one frame per this many microseconds, unless Alt is held.
    static constexpr double kFrameGateUs = 30000;
    // The display timer's period while Alt is held and while the queue fills for the first
    // time. With Alt up, a tick that finds the gate shut sleeps until it opens, so the frames
    // come at the gate's pace without the timer waking the program in between.
    static constexpr int kShowerPeriodMs = 5;
    static constexpr int kRelauncherPeriodMs = 100;
    // The first baseline of the text when it enters the frame from below.
    static constexpr std::int32_t kStartY = 110;
    static constexpr int kFrameWidth = 300, kFrameHeight = 100;
    static constexpr int kTextLeft = 20, kWrapWidth = 275;
    static constexpr int kClosedHeight = 300, kOpenHeight = 430;

    // The queue, the credits text and the scroll state.
    FrameQueue tab;
    QString TheTxt;
    double lastFrame = 0;
    std::atomic<bool> stop{false};
    fw::PictureRef mask;
    fw::PictureRef MaskInter;
    fw::PictureRef MaskFinal;
    std::int32_t hi = 0;
    std::atomic<std::int32_t> i{kStartY};
    std::atomic<std::int32_t> amount_pict{kAmount};
    bool first = true;

    fw::BevelButton* BevelButton1 = nullptr;
    fw::BevelButton* BevelButton2 = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* StaticText2 = nullptr;
    QLabel* StaticText3 = nullptr;
    fw::BevelButton* BevelButton3 = nullptr;
    fw::Timer* Shower = nullptr;
    fw::Thread* Buffering = nullptr;
    fw::Canvas* Canvas1 = nullptr;
    fw::Timer* Relauncher = nullptr;

    void BevelButton1_Action();
    void BevelButton2_Action();
    void BevelButton3_Action();
    void Shower_Action();
    void Buffering_Run();
    void Relauncher_Action();
    void AddMenuHandlers() override;
    void Event_Open() override;
    bool Event_CancelClose(bool appQuitting) override;
    void Event_Close() override;
    std::int32_t GetHeightOfTxt(std::int32_t width);
    void MakeText();

    // One pass of the producer's loop without its checks: renders the frame for the current
    // position, appends it and moves the position on. Runs on the producer's thread, or on the
    // main thread while the producer is stopped (tests step the scroll this way).
    void RenderFrame();

    // The presentation text and the forum's name as the window shows them.
    static QString PresentationText();
    static QString ForumName();

    // The addresses the three buttons open: the build settings unless changed (before the
    // window opens). A button whose address is empty is disabled.
    struct Links {
        QString site;   // a web address
        QString forum;  // a web address
        QString mail;   // a mail address, without "mailto:"
    };
    static Links Addresses();
    static void SetAddresses(const Links& links);

private:
    // Sets the display timer's period (between 1 ms and the gate) for the ticks to come.
    void NextShowerTick(int ms);
    // Stops both timers and the producer, and waits for the producer to end; afterwards nothing
    // draws into the window's pictures any more.
    void StopCredits();

    // The backdrop of every frame, fetched once on the main thread: the resource cache is not
    // the producer's to fill.
    fw::PictureRef back_;
    // TheTxt laid out once in the frames' font at the wrap width; each frame draws only the few
    // lines that show in it.
    fw::WrappedText wrapped_;
    // Set once the opening has made every picture the producer draws with; a window whose
    // pictures could not be made shows no credits rather than drawing with missing ones.
    bool ready_ = false;
};

}  // namespace wnd

// The open about window, or a new one.
wnd::about& about();
