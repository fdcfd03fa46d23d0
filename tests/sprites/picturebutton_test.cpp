#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>

#include "helpers.h"
#include "sprites/picturebutton.h"

namespace {

const QColor kPlain(200, 0, 0), kSel(0, 0, 200);

// 20 x 20, opaque but for a transparent left band and one nearly black pixel.
std::shared_ptr<fw::Picture> Source(QColor c, int size = 20) {
    auto p = Solid(size, size, c);
    fw::Graphics& m = p->Mask().Graphics();
    m.ForeColor = QColor(255, 255, 255);
    m.FillRect(0, 0, 5, size);
    m.SetPixel(10, 10, QColor(1, 1, 1));
    return p;
}

QColor Blend(QColor c, int towards) {
    auto f = [&](int v) { return (v * 150 + towards * 105) / 255; };
    return QColor(f(c.red()), f(c.green()), f(c.blue()));
}

struct Button : ::testing::Test {
    PictureButton button;
    int actions = 0;
    void SetUp() override {
        button.resize(20, 20);
        button.onInitPicture = [] { return Source(kPlain); };
        button.onInitSelPicture = [] { return Source(kSel, 30); };
        button.onAction = [this] { ++actions; };
        button.Open();
    }
    QColor Shown() { return At(*button.Backdrop(), 12, 12); }
    using L = PictureButton::Look;
};

TEST_F(Button, BuildsSixLooksSharingThePlainMask) {
    struct Case { L look; bool sel; QColor colour; };
    const Case cases[] = {
        {L::Normal, false, kPlain}, {L::Hover, false, Blend(kPlain, 255)}, {L::Pushed, false, Blend(kPlain, 0)},
        {L::Normal, true, kSel}, {L::Hover, true, Blend(kSel, 255)}, {L::Pushed, true, Blend(kSel, 0)},
    };
    for (const Case& c : cases) {
        auto p = button.LookPicture(c.look, c.sel);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Width(), 20);  // a larger selected source is cut
        EXPECT_TRUE(Near(At(*p, 12, 12), c.colour)) << c.look << c.sel;
        EXPECT_EQ(qGray(p->Mask().Pixel(2, 2)), 255);
        EXPECT_EQ(qGray(p->Mask().Pixel(12, 12)), 0);
    }
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Normal, false));
    // The canvas shows the shape: transparent left band, opaque body.
    EXPECT_EQ(button.BackingImage().pixelColor(2, 2).alpha(), 0);
    EXPECT_EQ(button.BackingImage().pixelColor(12, 12), kPlain);
}

TEST_F(Button, OnlyPureBlackMaskPixelsAreOnTheButton) {
    struct Case { int x, y; bool on; };
    const Case cases[] = {{12, 12, true}, {5, 0, true}, {19, 19, true}, {4, 12, false},
                          {10, 10, false}, {-1, 5, false}, {20, 5, false}, {5, 20, false}};
    for (const Case& c : cases) EXPECT_EQ(button.IsOn(c.x, c.y), c.on) << c.x << "," << c.y;
}

TEST_F(Button, PressOffTheShapeDraggedOnAndReleasedThereActs) {
    EXPECT_TRUE(button.MouseDown(2, 12));  // always handled, so the drag comes here
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Normal, false));
    button.MouseDrag(12, 12);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Pushed, false));
    button.MouseUp(12, 12);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Hover, false));
}

TEST_F(Button, PressDraggedOffAndReleasedOutsideDoesNotAct) {
    button.MouseDown(12, 12);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Pushed, false));
    button.MouseDrag(2, 2);
    EXPECT_FALSE(button.PointerOn());
    button.MouseUp(2, 2);
    EXPECT_EQ(actions, 0);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Normal, false));
}

TEST_F(Button, HoverAndSelectionChooseTheLook) {
    button.MouseMove(12, 12);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Hover, false));
    button.SetActive(true);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Hover, true));
    button.MouseMove(2, 2);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Normal, true));
    button.SetActive(false);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Normal, false));
    button.MouseMove(12, 12);
    button.MouseExit();
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Normal, false));
    EXPECT_FALSE(button.PointerOn());
}

TEST_F(Button, ClickOnASelectedButtonEndsWithTheSelectedHoverLook) {
    button.SetActive(true);
    button.MouseDown(12, 12);
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Pushed, true));
    button.MouseUp(12, 12);
    EXPECT_EQ(Shown(), At(*button.LookPicture(L::Hover, true), 12, 12));
    EXPECT_EQ(button.Backdrop(), button.LookPicture(L::Hover, true));
}

TEST(PictureButtonOpen, AlwaysShowsThePlainLookAndWithoutSourceStaysEmpty) {
    PictureButton b;
    b.SetActive(true);  // before opening: nothing to show
    EXPECT_EQ(b.Backdrop(), nullptr);
    b.onInitPicture = [] { return Source(kPlain); };
    b.Open();
    EXPECT_EQ(b.Backdrop(), b.LookPicture(PictureButton::Normal, false));
    // Without a selected source the selected set looks plain.
    EXPECT_EQ(At(*b.LookPicture(PictureButton::Normal, true), 12, 12), kPlain);

    PictureButton empty;
    empty.Open();
    EXPECT_FALSE(empty.IsOn(12, 12));
    EXPECT_TRUE(empty.MouseDown(12, 12));
    empty.MouseUp(12, 12);
}

// Drags and releases reach a canvas only when its press answered true.
struct Recorder : fw::Canvas {
    bool take = false;
    int downs = 0, drags = 0, ups = 0, moves = 0;
    bool Event_MouseDown(int, int) override { ++downs; return take; }
    void Event_MouseDrag(int, int) override { ++drags; }
    void Event_MouseUp(int, int) override { ++ups; }
    void Event_MouseMove(int, int) override { ++moves; }
};

void Send(QWidget& w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

TEST(CanvasMouse, DragAndReleaseOnlyAfterAnAcceptedPress) {
    for (bool take : {false, true}) {
        Recorder r;
        r.resize(20, 20);
        r.take = take;
        Send(r, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
        Send(r, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
        Send(r, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
        Send(r, QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(r.downs, 1);
        EXPECT_EQ(r.drags, take ? 1 : 0);
        EXPECT_EQ(r.ups, take ? 1 : 0);
        EXPECT_EQ(r.moves, 1);
    }
}

}  // namespace
