// The frame: one top-level window whose area holds every program window, content positions taken
// in that area, title bars with the boxes each window asks for, the drawer glued to the game
// window, and Ctrl+W reaching « Fermer » alone.
#include "framework/application.h"
#include "framework/msgbox.h"
#include "framework/timer.h"
#include "framework/window.h"
#include "game/ia.h"
#include "info/about.h"
#include "info/help.h"
#include "net/showcolor.h"
#include "net/twin.h"
#include "net/waitconnect.h"
#include "net/winip.h"
#include "shell/app.h"
#include "shell/pref.h"
#include "shell/preferences.h"
#include "shell/scores.h"
#include "windows/drawerwindow.h"
#include "windows/game.h"
#include "windows/newgame.h"
#include "windows/outil_mac.h"

#include "app_fixture.h"
#include "qstring_print.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTest>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

class FrameTest : public AppFixture {
protected:
    void SetUp() override { StartQuietApp(); }
    fw::Frame& frame() { return app->FrameWindow(); }
    QWidget* viewport() { return frame().Area().viewport(); }
    static QRect content(fw::Window& w) { return QRect(w.Left(), w.Top(), w.Width(), w.Height()); }

    // A game window with its drawer open, the content where the game puts it.
    wnd::Outil_Mac& openGame() {
        game().Launch(QStringLiteral("serveur"), -1);
        wnd::Outil_Mac& drawer = *game().o_mac;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !drawer.IsClosed(); }, kEventuallyMs));
        return drawer;
    }
};

TEST_F(FrameTest, TheDesktopSeesOneWindowThatHoldsEveryOther) {
    twin().Show();
    // The splash stays up however long the rest takes to come up.
    twin().Timer1->SetMode(fw::Timer::ModeOff);
    ia().Show();
    pref().Show();
    scores().SetVisible(true);
    WinIP().Show();
    waitconnect().Show();
    showcolor().Show();
    newgame().Show();
    wnd::Outil_Mac& drawer = openGame();
    // Large windows placed by the area once it has little room left.
    help().Show();
    about().Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame(), kEventuallyMs));

    EXPECT_TRUE(frame().isMaximized());
    EXPECT_EQ(frame().windowTitle(), QStringLiteral("Quorril"));
    std::vector<QWidget*> tops;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) tops.push_back(w);
    EXPECT_EQ(tops, std::vector<QWidget*>{&frame()});

    const QRect area = viewport()->rect();
    ASSERT_GE(fw::AllWindows().size(), 12u);
    for (fw::Window* w : fw::AllWindows()) {
        SCOPED_TRACE(w->metaObject()->className());
        EXPECT_EQ(w->window(), &frame());
        EXPECT_EQ(w->Host().parentWidget(), viewport());
        EXPECT_TRUE(w->Visible());
        EXPECT_TRUE(area.contains(content(*w))) << content(*w).x() << "," << content(*w).y();
    }
    // The drawer too is a member of the area, in a frame that is its content alone.
    EXPECT_TRUE(frame().Area().subWindowList().contains(qobject_cast<QMdiSubWindow*>(&drawer.Host())));
    EXPECT_EQ(drawer.FrameGeometry(), content(drawer));
    // Windows the area places itself come up whole, title bar and frame included.
    EXPECT_TRUE(area.contains(help().FrameGeometry()));
    EXPECT_TRUE(area.contains(about().FrameGeometry()));
}

TEST_F(FrameTest, PositionsAreThoseOfTheContentInTheArea) {
    openGame();
    EXPECT_EQ(QPoint(game().Left(), game().Top()), QPoint(3, 45));
    EXPECT_EQ(game().mapTo(viewport(), QPoint()), QPoint(3, 45));
    // Set before the window is first shown, too.
    pref().SetLeft(120);
    pref().SetTop(70);
    EXPECT_EQ(pref().mapTo(viewport(), QPoint()), QPoint(120, 70));
    EXPECT_EQ(pref().Host().windowTitle(), QStringLiteral("Préférences"));
}

TEST_F(FrameTest, AWindowThatGrowsNearTheBottomStaysInTheArea) {
    wnd::about& w = about();
    const int areaHeight = viewport()->height();
    w.SetTop(areaHeight - w.Height() - 10);
    ASSERT_TRUE(viewport()->rect().contains(w.FrameGeometry()));
    w.SetHeight(w.Height() + 130);
    EXPECT_TRUE(viewport()->rect().contains(w.FrameGeometry()));
    EXPECT_EQ(w.FrameGeometry().bottom(), areaHeight - 1);
}

TEST_F(FrameTest, TitleBarsCarryTheBoxesEachWindowAsksFor) {
    struct Case {
        const char* name;
        fw::Window* window;
        bool close, minimise;
    };
    const Case cases[] = {
        {"game", &game(), true, true},
        {"pref", &pref(), true, true},
        {"twin", &twin(), false, true},
        {"scores", &scores(), true, true},
        {"newgame", &newgame(), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Qt::WindowFlags f = c.window->Host().windowFlags();
        EXPECT_EQ(bool(f & Qt::WindowCloseButtonHint), c.close);
        EXPECT_EQ(bool(f & Qt::WindowMinimizeButtonHint), c.minimise);
        EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    }
    // A fixed content size holds against a resize of its frame; a sizable window follows it.
    game().Show();
    const QSize fixed = game().size();
    game().Host().resize(game().Host().size() + QSize(80, 60));
    EXPECT_EQ(game().size(), fixed);
    ia().Show();
    const QSize before = ia().size();
    ia().Host().resize(ia().Host().size() + QSize(80, 60));
    QTest::qWait(10);
    EXPECT_EQ(ia().size(), before + QSize(80, 60));
}

TEST_F(FrameTest, TheDrawerIsAPanelGluedToTheGameWindow) {
    wnd::Outil_Mac& drawer = openGame();
    // A member of the area in a frame without title bar, border or boxes: nothing for the user
    // to close or minimise.
    auto* sub = qobject_cast<QMdiSubWindow*>(&drawer.Host());
    ASSERT_TRUE(sub);
    EXPECT_EQ(drawer.parentWidget(), sub);
    EXPECT_EQ(sub->parentWidget(), viewport());
    EXPECT_TRUE(sub->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(drawer.isWindow());
    EXPECT_EQ(drawer.findChildren<QMdiSubWindow*>().size(), 0);
    ASSERT_TRUE(drawer.isVisible());
    EXPECT_EQ(drawer.FrameGeometry(), content(drawer));

    // The game window stands at the area's left: no room there, so the right edge.
    EXPECT_EQ(drawer.CurrentEdge(), wnd::DrawerWindow::EdgeRight);
    EXPECT_EQ(drawer.Left(), game().FrameGeometry().right() + 1);
    EXPECT_EQ(drawer.Top(), game().Top() + drawer.LeadingOffset());

    // Room on the left: the preferred edge; the drawer follows every move.
    game().SetLeft(400);
    EXPECT_EQ(drawer.CurrentEdge(), wnd::DrawerWindow::EdgeLeft);
    EXPECT_EQ(drawer.FrameGeometry().right() + 1, game().FrameGeometry().left());
    game().SetTop(90);
    EXPECT_EQ(drawer.Top(), 90);
    EXPECT_TRUE(viewport()->rect().contains(drawer.FrameGeometry()));

    // It minimises and comes back with the game window.
    game().Host().showMinimized();
    ASSERT_EVENTUALLY(!drawer.isVisible());
    EXPECT_FALSE(drawer.IsClosed());
    game().Show();
    ASSERT_EVENTUALLY(drawer.isVisible());
    EXPECT_EQ(drawer.FrameGeometry().right() + 1, game().FrameGeometry().left());

    // Brought to the front with it, above a window that covered it.
    pref().Show();
    pref().SetLeft(drawer.Left());
    pref().SetTop(drawer.Top());
    game().Show();
    EXPECT_EQ(viewport()->childAt(drawer.FrameGeometry().center()), drawer.childAt(drawer.rect().center()));

    // A close request from the desktop's side never reaches it; closing the game closes it.
    EXPECT_FALSE(sub->close());
    EXPECT_FALSE(drawer.IsClosed());
    EXPECT_TRUE(drawer.isVisible());
    QPointer<wnd::Outil_Mac> gone = &drawer;
    game().Close();
    ASSERT_EVENTUALLY(!gone);
}

TEST_F(FrameTest, AWindowOpenedAfterTheGameStaysAboveItsDrawer) {
    wnd::Outil_Mac& drawer = openGame();
    QMdiArea& area = frame().Area();
    game().Show();
    ASSERT_EVENTUALLY(area.activeSubWindow() == &game().Host() && drawer.Visible());
    WinIP().Show();
    WinIP().SetLeft(drawer.Left());
    WinIP().SetTop(drawer.Top());
    // The game window's loss of its active state is handled after the window came up: once the
    // area has moved its active state, what that posted has run too.
    ASSERT_EVENTUALLY(area.activeSubWindow() == &WinIP().Host());
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QWidget* hit = viewport()->childAt(drawer.FrameGeometry().topLeft() + QPoint(20, 20));
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(WinIP().Host().isAncestorOf(hit)) << hit->metaObject()->className();

    // Back in front, the game window takes its drawer with it.
    game().Show();
    EXPECT_EVENTUALLY(viewport()->childAt(drawer.FrameGeometry().center()) == drawer.childAt(drawer.rect().center()));
}

// Every interface below iface, depth first; the bounds keep a broken tree from running away.
void collect(QAccessibleInterface* iface, std::vector<QAccessibleInterface*>& out, int depth = 0) {
    if (!iface || depth > 40 || out.size() > 5000) return;
    out.push_back(iface);
    for (int i = 0; i < iface->childCount(); ++i) collect(iface->child(i), out, depth + 1);
}

TEST_F(FrameTest, AssistiveToolsSeeTheDrawersControlsAndTheGameWindowShowing) {
    wnd::Outil_Mac& drawer = openGame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame(), kEventuallyMs));
    std::vector<QAccessibleInterface*> tree;
    collect(QAccessible::queryAccessibleInterface(&frame()), tree);
    auto find = [&](const QObject* o) -> QAccessibleInterface* {
        for (QAccessibleInterface* i : tree)
            if (i->object() == o) return i;
        return nullptr;
    };
    // Every control of the drawer is in the frame's tree, with its caption or its name, and its
    // way up leads back to the frame.
    int controls = 0;
    for (QWidget* w : drawer.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QGroupBox*>(w);
        if (!control || !w->isVisible()) continue;
        SCOPED_TRACE(w->objectName().toStdString());
        ++controls;
        QAccessibleInterface* i = find(w);
        ASSERT_TRUE(i);
        EXPECT_FALSE(i->text(QAccessible::Name).isEmpty());
        EXPECT_FALSE(i->state().invisible);
        QAccessibleInterface* up = i;
        for (int steps = 0; up && up->object() != &frame() && steps < 40; ++steps) {
            QAccessibleInterface* parent = up->parent();
            if (parent) {
                EXPECT_GE(parent->indexOfChild(up), 0);
            }
            up = parent;
        }
        EXPECT_TRUE(up && up->object() == &frame());
    }
    EXPECT_EQ(controls, 12);
    // As a screen reader names them.
    std::map<QString, QAccessible::Role> roles;
    for (QAccessibleInterface* i : tree) roles[i->text(QAccessible::Name)] = i->role();
    EXPECT_EQ(roles[QStringLiteral("Arrêter la partie")], QAccessible::Button);
    EXPECT_EQ(roles[QStringLiteral("Nouvelle Partie")], QAccessible::Button);
    EXPECT_EQ(roles[QStringLiteral("Saisie du chat")], QAccessible::EditableText);
    EXPECT_EQ(roles[QStringLiteral("Journal du chat")], QAccessible::EditableText);
    // The game window and its drawer are on screen, and show.
    for (const QWidget* host : {&game().Host(), &drawer.Host()}) {
        QAccessibleInterface* i = find(host);
        ASSERT_TRUE(i);
        EXPECT_FALSE(i->state().invisible);
        EXPECT_FALSE(i->state().offscreen);
    }
    EXPECT_EQ(find(&game().Host())->text(QAccessible::Name), QStringLiteral("Quorril"));
    EXPECT_EQ(find(&drawer.Host())->text(QAccessible::Name), QStringLiteral("Communication"));
    // A window out of the area's view is off screen.
    pref().Show();
    pref().SetLeft(viewport()->width() + 50);
    QAccessibleInterface* out = QAccessible::queryAccessibleInterface(&pref().Host());
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->state().offscreen);
}

TEST_F(FrameTest, TheDrawerIsNeverTheActiveWindowAndLeavesTheKeyboardToTheGame) {
    wnd::Outil_Mac& drawer = openGame();
    frame().Maximize();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame(), kEventuallyMs));
    QMdiArea& area = frame().Area();
    auto* board = qobject_cast<QMdiSubWindow*>(&game().Host());
    auto* entry = drawer.findChild<QLineEdit*>(QStringLiteral("EditField2"));
    ASSERT_TRUE(board && entry);
    // It opened without taking the keyboard from the game window.
    ASSERT_TRUE(QTest::qWaitFor([&] { return area.activeSubWindow() == board; }, kEventuallyMs));
    EXPECT_FALSE(drawer.isAncestorOf(QApplication::focusWidget()));
    EXPECT_TRUE(board->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == board);

    // Working in it: the keys go there, and its game window, not the drawer, becomes the area's
    // active window, the one the menus serve, and comes to the front with it.
    pref().Show();
    ASSERT_EQ(area.activeSubWindow(), &pref().Host());
    QTest::mouseClick(entry, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return entry->hasFocus(); }, kEventuallyMs));
    QTest::keyClicks(entry, QStringLiteral("salut"));
    EXPECT_EQ(entry->text(), QStringLiteral("salut"));
    EXPECT_TRUE(entry->hasFocus());
    EXPECT_TRUE(QTest::qWaitFor([&] { return area.activeSubWindow() == board; }, kEventuallyMs)) << activeTitle().toStdString();
    EXPECT_EQ(fw::FrontProgramWindow(), &game());
    EXPECT_TRUE(entry->hasFocus());
    const QList<QMdiSubWindow*> stack = area.subWindowList(QMdiArea::StackingOrder);
    EXPECT_GT(stack.indexOf(board), stack.indexOf(qobject_cast<QMdiSubWindow*>(&pref().Host())));

    // The area's own turn through its windows: a window it comes to is the active one, but when
    // it comes to the drawer, the game window takes the turn.
    auto windowOf = [](QMdiSubWindow* s) -> fw::Window* {
        for (fw::Window* w : fw::AllWindows())
            if (&w->Host() == s) return w;
        return nullptr;
    };
    std::vector<QMdiSubWindow*> picks;
    for (int turn = 0; turn < 6; ++turn) {
        SCOPED_TRACE(turn);
        QMdiSubWindow* picked = nullptr;
        const auto watch = QObject::connect(&area, &QMdiArea::subWindowActivated, [&](QMdiSubWindow* s) {
            if (!picked) picked = s;
        });
        area.activateNextSubWindow();
        QObject::disconnect(watch);
        ASSERT_TRUE(picked);
        picks.push_back(picked);
        QMdiSubWindow* expected = picked == &drawer.Host() ? board : picked;
        EXPECT_TRUE(QTest::qWaitFor([&] { return area.activeSubWindow() == expected; }, kEventuallyMs))
            << "expected " << expected->windowTitle().toStdString() << ", active " << activeTitle().toStdString();
        EXPECT_EQ(fw::FrontProgramWindow(), windowOf(expected));
    }
    // The turn did come to the drawer.
    EXPECT_NE(std::find(picks.begin(), picks.end(), &drawer.Host()), picks.end());
}

// A panel of no window's: nothing hands its activation on, so only the panel's own frame, detached
// from the application's focus changes, keeps it from becoming the area's active window.
class OwnerlessPanel : public fw::Window {
public:
    OwnerlessPanel() : fw::Window(Kind::Panel), entry(new QLineEdit(this)) { resize(160, 40); }
    QLineEdit* entry;
};

TEST_F(FrameTest, KeyboardFocusInAPanelLeavesTheActiveWindowAsItWas) {
    frame().Maximize();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame(), kEventuallyMs));
    QMdiArea& area = frame().Area();
    pref().Show();
    ASSERT_EQ(area.activeSubWindow(), &pref().Host());

    auto* panel = new OwnerlessPanel();
    panel->RunOpen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->Host().isVisible(); }, kEventuallyMs));
    EXPECT_EQ(area.activeSubWindow(), &pref().Host());
    panel->entry->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->entry->hasFocus(); }, kEventuallyMs));
    // Qt's sub-window activates itself within the focus change, which is over by now.
    EXPECT_EQ(area.activeSubWindow(), &pref().Host());
    EXPECT_NE(area.activeSubWindow(), &panel->Host());
}

TEST_F(FrameTest, CtrlWIsFermerAloneInEveryWindow) {
    static std::vector<std::string> warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        warnings.push_back(m.toStdString());
    });
    frame().Maximize();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame(), kEventuallyMs));
    for (int round = 0; round < 2; ++round) {
        pref().Show();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &pref(), Qt::Key_W, Qt::ControlModifier);
        ASSERT_EVENTUALLY(!fw::Exists<wnd::pref>());
    }
    qInstallMessageHandler(previous);
    for (const std::string& w : warnings) EXPECT_EQ(w.find("mbiguous"), std::string::npos) << w;
}

// A message box opens over a message box still waiting: the inner one is answered by a click
// (the outer one takes none meanwhile), then the outer one by the keyboard, each ending its own
// wait.
TEST_F(FrameTest, AMessageBoxOverAMessageBoxIsAnsweredThenTheOuterOne) {
    frame().Maximize();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame(), kEventuallyMs));
    auto box = [&](const QString& text) -> QMessageBox* {
        for (QMessageBox* b : frame().findChildren<QMessageBox*>(QStringLiteral("MsgBox")))
            if (b->text() == text && b->isVisible()) return b;
        return nullptr;
    };
    const QString outerText = QStringLiteral("extérieure"), innerText = QStringLiteral("intérieure");
    QStringList answered, problems;
    // The boxes wait in loops of their own: the user's part is played from inside them.
    QTimer user;
    QElapsedTimer since;
    since.start();
    int step = 0;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QMessageBox* outer = box(outerText);
        QMessageBox* inner = box(innerText);
        if (step == 0 && outer && inner) {
            QTest::mouseClick(outer->button(QMessageBox::Ok), Qt::LeftButton);
            if (!box(outerText)) problems << QStringLiteral("the outer box was answered under the inner one");
            QTest::mouseClick(inner->button(QMessageBox::Ok), Qt::LeftButton);
            step = 1;
        } else if (step == 1 && outer && !inner) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            step = 2;
        }
        if (since.elapsed() > kEventuallyMs) {
            // Unanswerable: ended from here, so that the test reports it rather than hangs.
            problems << QStringLiteral("unanswered at step %1").arg(step);
            for (QMessageBox* b : frame().findChildren<QMessageBox*>(QStringLiteral("MsgBox"))) b->done(0);
        }
    });
    user.start(20);
    QTimer::singleShot(0, [&] {
        fw::MsgBox(innerText);
        answered << innerText;
    });
    fw::MsgBox(outerText);
    answered << outerText;
    user.stop();
    EXPECT_EQ(answered, (QStringList{innerText, outerText}));
    EXPECT_EQ(problems, QStringList{});
    EXPECT_FALSE(fw::MsgBoxWaiting());
}

}  // namespace
