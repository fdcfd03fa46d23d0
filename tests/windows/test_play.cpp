// Whole games with the mouse: the program started as main() starts it, the start-up game
// against the computer over loopback, and a won game that enters the high scores.
#include "framework/socket.h"
#include "framework/sound.h"
#include "framework/window.h"
#include "game/ia.h"
#include "net/client.h"
#include "net/serveur.h"
#include "net/twin.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "shell/scores.h"
#include "sprites/endshow.h"
#include "sprites/kxmap.h"
#include "sprites/resources.h"
#include "framework/buttons.h"
#include "windows/butonsokcancel.h"
#include "windows/colorchoice.h"
#include "windows/game.h"
#include "windows/newgame.h"
#include "windows/outil_mac.h"
#include "windows/outilcontain.h"

#include "app_fixture.h"
#include "qstring_print.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

namespace {

QString line(const char* name) { return game().moutil()->findChild<QLabel*>(QString::fromLatin1(name))->text(); }

class PlayTest : public AppFixture {
protected:
    void SetUp() override {
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));
        QFile::remove(Preferences::FilePath());
    }
    void TearDown() override {
        StopApp();
        QFile::remove(Preferences::FilePath());
    }

    // The preferences file the program finds at start-up.
    static void seed(std::initializer_list<std::pair<const char*, fw::Variant>> values) {
        Preferences p;
        p.SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        for (const auto& [k, v] : values) p.SetItem(QString::fromLatin1(k), v);
        ASSERT_TRUE(p.SavePrefs());
    }

    // Starts the program as main() does, without entering the event loop: the tests spin it.
    void start() {
        OpenApp();
        // Records every game message the host hands to the relay or receives from it.
        auto previous = twin().connectServ->NewTrame;
        twin().connectServ->NewTrame = [this, previous](std::int32_t f, std::int32_t t, const QString& d, const QString& x) {
            if (d == net::kDirSend) sent.push_back(x);
            if (d == net::kDirDelivered) received.push_back(x);
            if (previous) previous(f, t, d, x);
        };
    }

    KxMap& board() { return *game().KxGrid; }

    bool idle() { return !board().animTomberInst->IsRunning() && !board().animReturnInst->IsRunning(); }

    // Waits until it is the user's turn with nothing moving, or the game is over.
    bool waitForTurn() {
        return QTest::qWaitFor([&] { return fw::Exists<wnd::game>() && idle() && (board().GameMain || board().EndedGame); }, kEventuallyMs);
    }

    // Drags the lit token from the rack onto the column and lets go.
    void drag(int col) {
        KxMap& k = board();
        std::shared_ptr<Jeton> t = k.ListSelf->GetActJeton();
        ASSERT_TRUE(t);
        const QPoint from(t->x() + 35, t->y() + 35);
        const QPoint to(75 + 70 * col + 35, 30);
        QTest::mousePress(&k, Qt::LeftButton, {}, from);
        QTest::mouseMove(&k, (from + to) / 2);
        QTest::mouseMove(&k, to);
        QTest::mouseRelease(&k, Qt::LeftButton, {}, to);
    }

    void click(int col) {
        const QPoint at(75 + 70 * col + 10, 200);
        QTest::mouseClick(&board(), Qt::LeftButton, {}, at);
    }

    // Every token on the board stands in its cell.
    void expectTokensInTheirCells() {
        const KxMapGest& m = board().gameMap;
        int tokens = 0;
        for (int c = 0; c < 7; ++c) {
            for (int n = 0; n < m.CountJeton(c); ++n) {
                auto j = m.GetStructJeton(c, 6 - n);
                ASSERT_TRUE(j) << c << " " << n;
                EXPECT_EQ(j->x(), 75 + 70 * c);
                EXPECT_EQ(j->y(), 350 - 70 * n);
                ++tokens;
            }
        }
        EXPECT_GT(tokens, 0);
    }

    // Plays the user's side with one way of moving until the game ends.
    void playToTheEnd(bool byClick) {
        for (int moves = 0; moves < 21; ++moves) {
            ASSERT_TRUE(waitForTurn());
            if (board().EndedGame) break;
            EXPECT_EQ(line("StaticText2"), QStringLiteral("C'est à vous de jouer"));
            int col = 0;
            while (board().gameMap.IsFullColumn(col)) ++col;
            const std::size_t before = sent.size();
            if (byClick) {
                click(col);
            } else {
                drag(col);
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() > before; }, kEventuallyMs)) << "no move went out";
            EXPECT_EQ(sent.back(), QStringLiteral("IPLA%1#-1").arg(col));
        }
        ASSERT_TRUE(waitForTurn());
        ASSERT_TRUE(board().EndedGame);
    }

    std::vector<QString> sent, received;
};

bool isMove(const QString& s) { return s.startsWith(QLatin1String("IPLA")); }

TEST_F(PlayTest, StartUpGameAgainstTheComputerPlayedWithDrags) {
    seed({{"difficulty", fw::Variant(std::int32_t(3))}});
    start();
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<wnd::game>(); }, kEventuallyMs));
    EXPECT_EQ(game().type, QStringLiteral("serveur"));
    EXPECT_EQ(line("StaticText1"), QStringLiteral("Vous êtes serveur"));
    EXPECT_EQ(board().CouleurSelf, -1);
    shell::TheMenu().UpdateEnabled();
    EXPECT_FALSE(JeuNewGame().Enabled());

    playToTheEnd(false);
    expectTokensInTheirCells();
    const int ours = int(std::count_if(sent.begin(), sent.end(), isMove));
    const int theirs = int(std::count_if(received.begin(), received.end(), isMove));
    EXPECT_GE(theirs, ours - 1);
    EXPECT_LE(theirs, ours);
    for (const QString& m : received)
        if (isMove(m)) {
            EXPECT_TRUE(m.endsWith(QLatin1String("#1"))) << m.toStdString();
        }
    // The computer at its strongest level wins against a player who fills the left columns.
    EXPECT_EQ(line("StaticText3"), QStringLiteral("Votre adversaire gagne la partie"));
    EXPECT_EQ(line("StaticText7"), QStringLiteral("La partie est finie"));
    ASSERT_TRUE(game().endGame);

    // A press on a finished game only says so.
    drag(0);
    EXPECT_EQ(line("StaticText7"), QStringLiteral("La partie est finie"));
}

TEST_F(PlayTest, ClickModeDropsAtTheClickedColumn) {
    seed({{"clickForJeton", fw::Variant(true)}, {"difficulty", fw::Variant(std::int32_t(2))}});
    start();
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<wnd::game>(); }, kEventuallyMs));
    ASSERT_TRUE(waitForTurn());
    const std::size_t before = sent.size();
    click(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() > before; }, kEventuallyMs));
    EXPECT_EQ(sent.back(), QStringLiteral("IPLA4#-1"));
    playToTheEnd(true);
    expectTokensInTheirCells();
}

TEST_F(PlayTest, AWholeGameStartedFromTheMenuWithTheMouse) {
    seed({{"newGameAtStartup", fw::Variant(false)}, {"difficulty", fw::Variant(std::int32_t(2))}});
    start();
    EXPECT_FALSE(fw::Exists<wnd::game>());

    // « Jeu », then « Nouvelle partie ... ». The pointer travels to each before the click, as a
    // hand's does: a menu takes a press for an item only once it has seen the pointer move over it
    // (Qt 6.8 closes a menu on a press that came with no move since it opened).
    QMenuBar* bar = app->FrameWindow().menuBar();
    QAction* jeu = bar->actions().value(0);
    ASSERT_TRUE(jeu && jeu->menu());
    QTest::mouseMove(bar, bar->actionGeometry(jeu).center());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(jeu).center());
    QMenu* menu = jeu->menu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, kEventuallyMs));
    QAction* item = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == QLatin1String("Nouvelle partie ...")) item = a;
    ASSERT_TRUE(item && item->isEnabled());
    const QPoint onItem = menu->actionGeometry(item).center();
    QTest::mouseMove(menu, onItem - QPoint(0, menu->actionGeometry(item).height() / 4));
    QTest::mouseMove(menu, onItem);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->activeAction() == item; }, kEventuallyMs));
    QTest::mouseClick(menu, Qt::LeftButton, {}, onItem);
    ASSERT_TRUE(fw::Exists<wnd::newgame>());

    // Yellow, then Ok.
    wnd::newgame& dialog = newgame();
    PictureButton* yellow = dialog.CCOrd->Button(0);
    QTest::mouseMove(yellow, yellow->rect().center());
    QTest::mouseClick(yellow, Qt::LeftButton, {}, yellow->rect().center());
    QWidget* ok = dialog.ButonsOkCancel1->PushButton1;
    ASSERT_TRUE(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());

    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<wnd::game>(); }, kEventuallyMs));
    EXPECT_FALSE(fw::Exists<wnd::newgame>());
    EXPECT_EQ(game().type, QStringLiteral("serveur"));
    EXPECT_EQ(board().CouleurSelf, -1);
    playToTheEnd(false);
    expectTokensInTheirCells();
    EXPECT_EQ(line("StaticText7"), QStringLiteral("La partie est finie"));
}

// A guest of the test's own that plays column 6 whatever happens, so the host wins at once.
class DullGuest {
public:
    DullGuest() {
        client.NewTrame = [this](std::int32_t, std::int32_t, const QString& dir, const QString& text) {
            if (dir != net::kDirDelivered) return;
            if (text.startsWith(QLatin1String("TCOL"))) client.Send(QStringLiteral("ISOK"), false, 0);
            if (text.startsWith(QLatin1String("IPLA"))) client.Send(QStringLiteral("IPLA6#1"), false, 0);
            if (text.startsWith(QLatin1String("MESS"))) chat.push_back(text);
            if (text == QLatin1String("NEWG")) ++newGames;
        };
        client.Launch(1234, QStringLiteral("127.0.0.1"));
    }
    net::Client client;
    std::vector<QString> chat;
    int newGames = 0;
};

TEST_F(PlayTest, AWinThatEntersTheTopTenIsNamedInTheDrawerAndKeptAfterQuit) {
    seed({{"newGameAtStartup", fw::Variant(false)}, {"difficulty", fw::Variant(std::int32_t(3))}});
    start();
    EXPECT_FALSE(fw::Exists<wnd::game>());
    twin().LaunchServer(-1);
    DullGuest guest;
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<wnd::game>(); }, kEventuallyMs));

    // Chat goes both ways, plain.
    OutilContain& panel = *game().moutil();
    auto* entry = panel.findChild<QLineEdit*>(QStringLiteral("EditField2"));
    entry->setText(QStringLiteral("bonne chance"));
    QTest::keyClick(entry, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !guest.chat.empty(); }, kEventuallyMs));
    EXPECT_EQ(guest.chat[0], QStringLiteral("MESS<serveur>bonne chance"));

    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(waitForTurn());
        drag(0);
    }
    ASSERT_TRUE(waitForTurn());
    ASSERT_TRUE(board().EndedGame);
    EXPECT_EQ(line("StaticText3"), QStringLiteral("Vous gagnez la partie"));
    ASSERT_TRUE(panel.IsRecordScoreMode());
    const std::int32_t score = panel.Score();
    EXPECT_GT(score, 0);
    EXPECT_EQ(score, EndShow::Score(3, board().statCountSecond, 4, board().statCountStrategie));

    entry->setText(QStringLiteral("Zoé"));
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_TRUE(scores().isVisible());
    EXPECT_EQ(scores().namesArray[0], QStringLiteral("Zoé"));
    EXPECT_EQ(scores().scoresArray[0], score);

    // "Nouvelle Partie" restarts both sides and empties the chat log here.
    panel.AddChatString(QStringLiteral("<client>encore"));
    QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("PushButton1")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return guest.newGames == 1; }, kEventuallyMs));
    EXPECT_TRUE(panel.ChatLog().isEmpty());
    EXPECT_FALSE(board().EndedGame);
    EXPECT_FALSE(game().endGame);

    ASSERT_TRUE(app->Quit());
    Preferences after;
    after.LoadPrefs();
    EXPECT_EQ(after.GetItem(QStringLiteral("name_0")).ToString(), QStringLiteral("Zoé"));
    EXPECT_EQ(after.GetIntegerItem(QStringLiteral("score_0")), score);
}

}  // namespace
