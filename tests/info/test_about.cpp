// The about window: its texts and buttons, and the credits machine: the producer's queue and its
// thresholds, the display gate, the growth from 300 to 430, the scroll by one pixel per frame
// and its wrap, one window however often it is chosen, and a clean stop however it closes.
#include "framework/buttons.h"
#include "framework/canvas.h"
#include "framework/graphics.h"
#include "framework/menu.h"
#include "framework/system.h"
#include "framework/thread.h"
#include "framework/timer.h"
#include "info/about.h"
#include "shell/menu.h"
#include "shell/pref.h"
#include "sprites/resources.h"

#include "app_fixture.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

const QChar CR(13);
using wnd::about;

class AboutTest : public AppFixture {
protected:
    void SetUp() override {
        StartApp();
        savedLinks = about::Addresses();
        about::SetAddresses({});
        previousAlt = fw::Keyboard::SetAltKeySource([this] { return alt; });
        previousUrl = fw::SetURLHandler([this](const QString& url) { opened.push_back(url); });
    }
    void TearDown() override {
        StopApp();
        about::SetAddresses(savedLinks);
        fw::Keyboard::SetAltKeySource(previousAlt);
        fw::SetURLHandler(previousUrl);
    }

    static int aboutWindows() {
        int n = 0;
        for (fw::Window* w : fw::AllWindows()) n += dynamic_cast<about*>(w) && !w->IsClosed();
        return n;
    }
    // The test drives the display and the restarts itself; the producer it leaves to run.
    static void holdTimers(about& w) {
        w.Shower->SetMode(fw::Timer::ModeOff);
        w.Relauncher->SetMode(fw::Timer::ModeOff);
    }
    static bool producerStops(about& w) { return QTest::qWaitFor([&] { return !w.Buffering->IsRunning(); }, kEventuallyMs); }
    // The window as the user finds it right after opening, the producer having filled the queue.
    about& filled() {
        about& w = ::about();
        holdTimers(w);
        EXPECT_TRUE(producerStops(w));
        return w;
    }
    // Lets the gate pass at the next tick.
    static void gateOpen(about& w) { w.lastFrame = fw::Microseconds() - about::kFrameGateUs - 1; }

    bool alt = false;
    std::vector<QString> opened;

private:
    about::Links savedLinks;
    std::function<bool()> previousAlt;
    std::function<void(const QString&)> previousUrl;
};

QRect inWindow(QWidget& w, QWidget& c) { return QRect(c.mapTo(&w, QPoint()), c.size()); }

TEST_F(AboutTest, HasItsTitleSizeControlsAndTexts) {
    about& w = ::about();
    EXPECT_TRUE(w.Visible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("À propos de Quorril"));
    EXPECT_EQ(w.size(), QSize(431, 300));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    const Qt::WindowFlags boxes = w.Host().windowFlags();
    EXPECT_TRUE(boxes & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(boxes & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(boxes & Qt::WindowMaximizeButtonHint);

    struct Control {
        const char* name;
        QRect where;
        int pixels;
        const char* text;
    };
    const Control controls[] = {
        {"BevelButton1", QRect(116, 227, 214, 17), 12, "Aller sur mon site"},
        {"BevelButton2", QRect(116, 250, 214, 17), 12, "Aller sur Quorril"},
        {"StaticText1", QRect(21, 14, 389, 133), 15,
         "Quorril c'est :\n- La partie programmation par l'équipe Quorril.\n- La partie graphique par l'équipe "
         "Quorril.\n\nIl permet de jouer au célèbre jeu Tarvelle 4 ® en réseau ou contre l'ordinateur.\n"},
        {"StaticText2", QRect(20, 150, 398, 19), 12, "Je passe le bonjour à tous les membres du forum Quorril"},
        {"StaticText3", QRect(21, 174, 396, 32), 12,
         "Pour toutes remarques à propos de ce jeu, n'hésitez pas à me contacter par Email."},
        {"BevelButton3", QRect(116, 273, 214, 17), 12, "M'écrire"},
        {"Canvas1", QRect(75, 315, 300, 100), 0, nullptr},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        auto* widget = w.Control<QWidget>(QString::fromLatin1(c.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(inWindow(w, *widget), c.where);
        // Buttons and the credits area take no keyboard focus.
        if (!qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus);
        }
        if (c.pixels) {
            EXPECT_EQ(widget->font().pixelSize(), c.pixels);
        }
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text(), QString::fromUtf8(c.text));
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), QString::fromUtf8(c.text));
        }
    }
    // The presentation keeps its six lines apart with carriage returns.
    EXPECT_EQ(about::PresentationText().split(CR).size(), 6);
    EXPECT_FALSE(about::PresentationText().contains(QChar(10)));
    // The credits area lies below the window until the credits run.
    EXPECT_GE(w.Canvas1->geometry().top(), w.Height());
}

TEST_F(AboutTest, CreditsAreFortyThreeSegmentsWithWiderGapsBeforeTheLastTwo) {
    about& w = ::about();
    QString t = w.TheTxt;
    QStringList segments;
    std::vector<int> gaps;
    while (!t.isEmpty()) {
        const int end = t.indexOf(CR);
        ASSERT_GT(end, 0) << "a segment is empty or lacks its line ends";
        int n = 0;
        while (end + n < t.size() && t[end + n] == CR) ++n;
        segments << t.left(end);
        gaps.push_back(n);
        t = t.mid(end + n);
    }
    ASSERT_EQ(segments.size(), 43);
    EXPECT_EQ(segments[0], QStringLiteral("Merci aux bêta-testeurs (et autres énergumènes) :"));
    for (int k = 1; k <= 40; ++k) {
        EXPECT_TRUE(segments[k].startsWith(QStringLiteral("- "))) << k;
        EXPECT_GT(segments[k].size(), 10) << k;
    }
    for (int k = 41; k <= 42; ++k) EXPECT_FALSE(segments[k].startsWith(QStringLiteral("- "))) << k;
    for (int k = 0; k < 43; ++k) EXPECT_EQ(gaps[std::size_t(k)], k == 40 ? 4 : k == 41 ? 6 : 2) << k;
    EXPECT_FALSE(w.TheTxt.contains(QChar(10)));
    // Measured in the frames' own font, wrapped as they wrap it.
    fw::Picture frame(about::kFrameWidth, about::kFrameHeight);
    EXPECT_EQ(w.hi, frame.Graphics().StringHeight(w.TheTxt, about::kWrapWidth));
}

TEST_F(AboutTest, ButtonsHandTheirAddressesToTheDesktopAndWithoutOneAreDisabled) {
    {
        about& w = ::about();
        for (fw::BevelButton* b : {w.BevelButton1, w.BevelButton2, w.BevelButton3}) EXPECT_FALSE(b->isEnabled());
        w.Close();
    }
    about::SetAddresses({QStringLiteral("https://example.org/quorril"), QStringLiteral("https://forum.example.org/"),
                         QStringLiteral("equipe@example.org")});
    about& w = ::about();
    for (fw::BevelButton* b : {w.BevelButton1, w.BevelButton2, w.BevelButton3}) {
        EXPECT_TRUE(b->isEnabled());
        b->click();
    }
    EXPECT_EQ(opened, (std::vector<QString>{QStringLiteral("https://example.org/quorril"),
                                            QStringLiteral("https://forum.example.org/"),
                                            QStringLiteral("mailto:equipe@example.org")}));
}

TEST_F(AboutTest, TheProducerStopsAtTargetPlusTwoAndRestartsAtTargetPlusOne) {
    about& w = filled();
    EXPECT_EQ(w.tab.Count(), about::kAmount + 2);

    struct Step {
        int take;      // frames the display takes first
        bool runs;     // whether the restart tick starts the producer
        int after;     // frames queued once it has stopped again
    };
    const Step steps[] = {{0, false, 52}, {1, true, 52}, {10, true, 52}, {52, true, 52}};
    for (const Step& s : steps) {
        for (int k = 0; k < s.take; ++k) w.tab.TakeFront();
        w.Relauncher_Action();
        EXPECT_EQ(w.Buffering->IsRunning() || w.tab.Count() != 52 - s.take, s.runs) << s.take;
        EXPECT_TRUE(producerStops(w));
        EXPECT_EQ(w.tab.Count(), s.after) << s.take;
    }

    // Alt held: the target doubles at the next display tick, and the producer fills up to 102.
    alt = true;
    w.Shower_Action();
    EXPECT_EQ(w.amount_pict, about::kAmountFast);
    w.Relauncher_Action();
    EXPECT_TRUE(producerStops(w));
    EXPECT_EQ(w.tab.Count(), about::kAmountFast + 2);
    // Released: back to 50; a full queue gets no restart until it has run down to 51.
    alt = false;
    gateOpen(w);
    w.Shower_Action();
    EXPECT_EQ(w.amount_pict, about::kAmount);
    w.Relauncher_Action();
    EXPECT_FALSE(w.Buffering->IsRunning());
}

TEST_F(AboutTest, GrowsTo430WhenTheQueueFirstHolds51Frames) {
    about& w = filled();
    w.tab.TakeFront();
    w.tab.TakeFront();
    ASSERT_EQ(w.tab.Count(), 50);
    w.Shower_Action();
    EXPECT_EQ(w.Height(), 300);
    EXPECT_TRUE(w.first);
    EXPECT_EQ(w.tab.Count(), 50);
    EXPECT_EQ(w.Canvas1->Backdrop(), nullptr);

    w.Relauncher_Action();  // the producer adds frames up to 52 again
    ASSERT_TRUE(producerStops(w));
    std::vector<fw::PictureRef> frames;
    while (fw::PictureRef f = w.tab.TakeFront()) frames.push_back(f);
    ASSERT_EQ(frames.size(), 52u);
    for (std::size_t k = 0; k < 51; ++k) w.tab.Append(frames[k]);

    w.Shower_Action();
    EXPECT_FALSE(w.first);
    EXPECT_EQ(w.Height(), 430);
    EXPECT_EQ(w.Canvas1->Backdrop(), frames[0]);
    EXPECT_EQ(w.tab.Count(), 50);
    EXPECT_TRUE(w.rect().contains(w.Canvas1->geometry()));
}

TEST_F(AboutTest, WithAltHeldTheFirstFrameWaitsFor101) {
    alt = true;
    about& w = filled();
    EXPECT_EQ(w.tab.Count(), 52);
    w.Shower_Action();
    EXPECT_EQ(w.amount_pict, about::kAmountFast);
    EXPECT_EQ(w.Height(), 300);
    w.Relauncher_Action();
    ASSERT_TRUE(producerStops(w));
    ASSERT_EQ(w.tab.Count(), 102);
    w.tab.TakeFront();
    w.tab.TakeFront();
    w.Shower_Action();  // 100 frames: not yet
    EXPECT_TRUE(w.first);
    w.Relauncher_Action();
    ASSERT_TRUE(producerStops(w));
    while (w.tab.Count() > 101) w.tab.TakeFront();
    w.Shower_Action();
    EXPECT_FALSE(w.first);
    EXPECT_EQ(w.Height(), 430);
}

TEST_F(AboutTest, OneFramePer30000MicrosecondsUnlessAltIsHeld) {
    {
        // The display timer runs again and again, never at every turn of the event loop.
        about& opened = ::about();
        EXPECT_EQ(opened.Shower->Mode(), fw::Timer::ModeMultiple);
        EXPECT_EQ(opened.Shower->Period(), about::kShowerPeriodMs);
        EXPECT_GT(about::kShowerPeriodMs, 0);
        EXPECT_EQ(opened.Relauncher->Mode(), fw::Timer::ModeMultiple);
        EXPECT_EQ(opened.Relauncher->Period(), 100);
        opened.Close();
    }
    about& w = filled();
    w.Shower_Action();
    ASSERT_FALSE(w.first);
    // Between frames the display sleeps until the gate opens.
    EXPECT_EQ(w.Shower->Period(), 30);
    const int queued = w.tab.Count();
    // Right after a frame the gate is shut.
    w.Shower_Action();
    w.Shower_Action();
    EXPECT_EQ(w.tab.Count(), queued);
    EXPECT_GE(w.Shower->Period(), 1);
    EXPECT_LE(w.Shower->Period(), 30);
    gateOpen(w);
    w.Shower_Action();
    EXPECT_EQ(w.tab.Count(), queued - 1);
    // Alt lifts the gate: one frame at every tick, and the ticks come every few milliseconds.
    alt = true;
    for (int k = 0; k < 5; ++k) w.Shower_Action();
    EXPECT_EQ(w.tab.Count(), queued - 6);
    EXPECT_EQ(w.Shower->Period(), about::kShowerPeriodMs);
    alt = false;
    w.Shower_Action();
    EXPECT_EQ(w.tab.Count(), queued - 6);
    // An empty queue keeps the last frame on screen and still records the tick.
    while (w.tab.Count() > 0) w.tab.TakeFront();
    const fw::PictureRef shown = w.Canvas1->Backdrop();
    gateOpen(w);
    const double before = fw::Microseconds();
    w.Shower_Action();
    EXPECT_EQ(w.Canvas1->Backdrop(), shown);
    EXPECT_GE(w.lastFrame, before);
}

// Dark pixels of a frame: the text, on the light backdrop.
std::vector<std::vector<bool>> ink(const fw::Picture& p) {
    std::vector<std::vector<bool>> rows(std::size_t(p.Height()), std::vector<bool>(std::size_t(p.Width())));
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) rows[std::size_t(y)][std::size_t(x)] = qGray(p.Pixel(x, y)) < 128;
    return rows;
}

int count(const std::vector<std::vector<bool>>& rows) {
    int n = 0;
    for (const auto& r : rows)
        for (bool b : r) n += b;
    return n;
}

TEST_F(AboutTest, TheTextMovesOnePixelPerFrameAndComesBackAfterHiPlus110Frames) {
    about& w = filled();
    w.tab.Clear();
    w.i = about::kStartY;
    const int cycle = w.hi + 110;
    ASSERT_GT(w.hi, 500);

    fw::PictureRef first;
    std::vector<std::vector<bool>> before;
    int lastInked = -1, shiftChecked = 0;
    for (int n = 0; n <= cycle; ++n) {
        ASSERT_EQ(w.i, n < cycle ? about::kStartY - n : about::kStartY) << n;
        w.RenderFrame();
        fw::PictureRef frame = w.tab.TakeFront();
        ASSERT_NE(frame, nullptr);
        if (n == 0) first = frame;
        if (n == cycle) {
            // The wrap starts the scroll again exactly where it began.
            EXPECT_EQ(frame->Image(), first->Image());
            break;
        }
        const auto now = ink(*frame);
        const int dark = count(now);
        if (dark > 0) lastInked = n;
        // The text of this frame is the text of the frame before, one row higher.
        if (dark > 200 && !before.empty()) {
            int same = 0, differ = 0;
            for (int y = 0; y + 1 < about::kFrameHeight; ++y)
                for (int x = 0; x < about::kFrameWidth; ++x) {
                    if (!now[std::size_t(y)][std::size_t(x)] && !before[std::size_t(y + 1)][std::size_t(x)]) continue;
                    (now[std::size_t(y)][std::size_t(x)] == before[std::size_t(y + 1)][std::size_t(x)] ? same : differ)++;
                }
            EXPECT_LT(differ * 50, same) << "frame " << n;
            ++shiftChecked;
        }
        before = now;
    }
    EXPECT_GT(shiftChecked, cycle / 2);
    // The text has left the frame when the scroll wraps, and not long before: the height was
    // measured with the font the frames are drawn in. The text ends with two empty lines.
    const QFontMetricsF fm(first->Graphics().Font());
    EXPECT_LT(lastInked, cycle - 1);
    EXPECT_LE(cycle - 1 - lastInked, fm.ascent() + 2 * fm.lineSpacing() + 2);
    EXPECT_GE(cycle - 1 - lastInked, 2 * fm.lineSpacing() - fm.descent() - 2);
}

TEST_F(AboutTest, FramesFadeAtTheirEdgesAndLoseTheirCorners) {
    // The rule the composition relies on: a new picture is white, with an opaque mask.
    fw::Picture fresh(3, 3);
    EXPECT_EQ(fresh.Pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(fresh.Mask().Pixel(1, 1), qRgb(0, 0, 0));

    about& w = filled();
    const fw::Picture& m = *w.MaskFinal;
    EXPECT_EQ(qGray(m.Pixel(0, 0)), 255);    // outside the rounded shape: transparent
    EXPECT_EQ(qGray(m.Pixel(299, 99)), 255);
    EXPECT_EQ(qGray(m.Pixel(150, 50)), 0);   // the middle: the frame as it is
    const int edge = qGray(m.Pixel(150, 3));  // near the top: faded
    EXPECT_GT(edge, 0);
    EXPECT_LT(edge, 255);
    fw::PictureRef frame = w.tab.TakeFront();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->HasMask());
    EXPECT_EQ(frame->MaskIfAny()->Image(), m.Image());
    // Drawn in the canvas, a corner lets the window through and the middle is the frame's own.
    gateOpen(w);
    w.tab.Append(frame);
    w.Shower_Action();
    const QImage& shown = w.Canvas1->BackingImage();
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(150, 50)), 255);
}

TEST_F(AboutTest, ChosenAgainItComesToTheFrontWithoutRestartingTheCredits) {
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("AppleAproposdeTarvelle4")));
    about* w = &::about();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->first; }, kEventuallyMs));
    const int scrolled = w->i;
    pref().Show();
    EXPECT_EQ(fw::FrontProgramWindow(), &pref());
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("AppleAproposdeTarvelle4")));
    EXPECT_EQ(aboutWindows(), 1);
    EXPECT_EQ(&::about(), w);
    EXPECT_EQ(fw::FrontProgramWindow(), w);
    EXPECT_FALSE(w->first);
    EXPECT_EQ(w->Height(), 430);
    // The scroll goes on from where it was (it wraps only after the whole text).
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->i < scrolled; }, kEventuallyMs)) << w->i << " " << scrolled;
}

TEST_F(AboutTest, ANewWindowAfterACloseStartsFromTheTop) {
    about* w = &::about();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->first; }, kEventuallyMs));
    QTest::qWait(300);
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("FichierFermer")));
    EXPECT_FALSE(fw::Exists<about>());
    EXPECT_EQ(aboutWindows(), 0);

    about& again = filled();
    EXPECT_NE(&again, w);
    EXPECT_TRUE(again.first);
    EXPECT_EQ(again.Height(), 300);
    EXPECT_EQ(again.tab.Count(), 52);
    EXPECT_EQ(again.i, about::kStartY - 52);
}

TEST_F(AboutTest, HoweverItClosesTheProducerHasStoppedAndDrawsNoMore) {
    enum class Way { Fermer, CloseBox, Method, Quit };
    for (Way way : {Way::Fermer, Way::CloseBox, Way::Method, Way::Quit}) {
        for (int wait : {0, 2, 7, 15}) {
            SCOPED_TRACE(int(way) * 100 + wait);
            if (way == Way::Quit) {
                StopApp();
                StartApp();
            }
            about& w = ::about();
            QPointer<about> gone = &w;
            QTest::qWait(wait);  // the producer is in the middle of the queue's first filling
            fw::Thread* producer = w.Buffering;
            switch (way) {
            case Way::Fermer:
                shell::TheMenu().Choose(QStringLiteral("FichierFermer"));
                break;
            case Way::CloseBox:
                w.Host().close();
                break;
            case Way::Method:
                w.Close();
                break;
            case Way::Quit:
                ASSERT_TRUE(app->Quit());
                break;
            }
            ASSERT_TRUE(gone);  // still there until the event loop deletes it
            EXPECT_TRUE(gone->IsClosed());
            EXPECT_FALSE(producer->IsRunning());
            // Nothing renders any more, even while the window waits for its deletion.
            const int queued = gone->tab.Count();
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            EXPECT_EQ(gone->tab.Count(), queued);
            QTest::qWait(150);  // restart ticks would have come by now
            EXPECT_TRUE(QTest::qWaitFor([&] { return !gone; }, kEventuallyMs));
        }
    }
}

}  // namespace
