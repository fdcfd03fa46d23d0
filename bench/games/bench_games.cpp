// A long session: the program as a user runs it (its application object, its frame, its event
// loop, the start-up game against the computer over loopback, on the offscreen platform) plays
// game after game. The user's moves are clicks on the board's columns, the computer answers
// through its relay client, a won game that enters the top ten takes a name in the drawer, and
// the drawer's « Nouvelle Partie » starts the next one; the user says a word in the chat at each
// game's start, which the computer answers. Only the animations are hurried: their
// timers' steps are run back to back, so a game takes the computer's thinking and the network's
// turns, not the tokens' falls.
//
// Measured: malloc's bytes in use (mallinfo2) once each game has ended and what it left to delete
// later has gone, and the growth per game over the games after the warm-up. Goal: flat, under
// 1 kB a game over games 50 to 200.
//   bench_games [games]   (300 unless given)
#include "framework/socket.h"
#include "framework/system.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "game/kxmapgest.h"
#include "sprites/animators.h"
#include "sprites/kxmap.h"
#include "windows/game.h"
#include "windows/outilcontain.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

std::size_t bytesInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// Runs an animator's remaining steps at once, as its timer would over the next frames.
template <class A>
void hurry(A* a) {
    for (int i = 0; a && a->IsRunning() && i < 1000; ++i) a->Step();
}

// A user who takes a win, blocks the opponent's and otherwise plays where the opponent gets no
// win at once (at random among those): enough to beat the easier levels now and then, so that
// the top ten fills and takes names.
int choose(const KxMapGest& map, std::int32_t self, std::mt19937& pick) {
    std::int32_t col = -1;
    if (map.CanGamerWin(self, col) || map.CanGamerWin(-self, col)) return col;
    std::vector<int> open, safe;
    for (int c = 0; c < 7; ++c) {
        if (map.IsFullColumn(c)) continue;
        open.push_back(c);
        KxMapGest trial(map);
        trial.PlaceJeton(c, self);
        if (!trial.CanGamerWin(-self)) safe.push_back(c);
    }
    const std::vector<int>& from = safe.empty() ? open : safe;
    if (from.empty()) return -1;
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(pick)];
}

// The mean growth per game over [from, to) of the games, by least squares.
double slope(const std::vector<std::size_t>& bytes, std::size_t from, std::size_t to) {
    if (to > bytes.size()) to = bytes.size();
    if (to < from + 2) return 0;
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double x = double(i), y = double(bytes[i]);
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

}  // namespace

int main(int argc, char** argv) {
    const int games = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QT_LOGGING_RULES", "qt.multimedia*=false", 1);
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1);
    std::vector<std::size_t> bytes;
    int names = 0, moves = 0, status = 0;
    bool named = false;  // the won game's name is entered
    bool said = false;   // the game's chat line is sent
    {
        QApplication qt(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        fw::SetURLHandler([](const QString&) {});
        {
            // The start-up game against the computer, moves by a click, no endless music.
            Preferences p;
            p.SetItem(QStringLiteral("clickForJeton"), fw::Variant(true));
            p.SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
            QFile f(Preferences::FilePath());
            if (f.open(QIODevice::WriteOnly)) f.write(p.Serialise());
        }
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));
        auto* app = new shell::App();
        shell::Prepare(*app);

        std::mt19937 pick(1234);
        int idleTurns = 0;      // turns of the loop with a game over and nothing left to do
        bool measure = false;   // the next game has been asked for: measured once it stands
        QTimer driver;
        driver.setInterval(0);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (!fw::Exists<wnd::game>()) return;
            KxMap& board = *game().KxGrid;
            OutilContain& drawer = *game().moutil();
            hurry(board.animTomberInst.data());
            hurry(board.animReturnInst.data());
            if (board.animTomberInst->IsRunning() || board.animReturnInst->IsRunning()) return;
            if (measure && !board.EndedGame) {
                // Each time in the same state: a new game on an empty board, what the last one
                // left to delete later gone.
                measure = false;
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                bytes.push_back(bytesInUse());
                if (int(bytes.size()) >= games) {
                    app->Quit();
                    return;
                }
            }
            if (board.EndedGame) {
                if (drawer.IsRecordScoreMode() && !named) {
                    auto* entry = drawer.findChild<QLineEdit*>(QStringLiteral("EditField2"));
                    entry->setText(QStringLiteral("Joueur %1").arg(bytes.size() + 1));
                    QMetaObject::invokeMethod(entry, "returnPressed");
                    named = true;
                    ++names;
                    return;
                }
                // A few turns for the game's last messages (the computer's taunt), then the next
                // game, at the next level.
                if (++idleTurns < 20) return;
                idleTurns = 0;
                named = false;
                said = false;
                App().Prefs().SetItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(1 + (bytes.size() + 1) % 3)));
                measure = true;
                drawer.findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
                return;
            }
            if (!board.GameMain) return;
            if (!said) {
                // A word to the computer at each game's first move, which it answers.
                auto* entry = drawer.findChild<QLineEdit*>(QStringLiteral("EditField2"));
                entry->setText(QStringLiteral("Bonjour, partie %1 !").arg(bytes.size() + 1));
                QMetaObject::invokeMethod(entry, "returnPressed");
                said = true;
            }
            const int col = choose(board.gameMap, board.CouleurSelf, pick);
            if (col < 0) return;
            QTest::mouseClick(&board, Qt::LeftButton, {}, QPoint(75 + 70 * col + 10, 200));
            ++moves;
        });
        QTimer::singleShot(0, [&] { driver.start(); });
        // A session that stops moving fails rather than waiting for ever.
        QTimer stuck;
        std::size_t seen = 0;
        QObject::connect(&stuck, &QTimer::timeout, [&] {
            if (bytes.size() == seen) {
                std::printf("games: no game ended for 60 s (after %zu games)\n", bytes.size());
                status = 1;
                app->Quit();
            }
            seen = bytes.size();
        });
        stuck.start(60000);
        status = std::max(status, app->Run());
        driver.stop();
        app->Finalise();
        shell::ReleaseMenu();
        delete app;
    }
    if (bytes.empty()) return 1;
    std::printf("games played: %zu, the user's moves: %d, names entered in the top ten: %d\n", bytes.size(), moves, names);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (i < 10 || (i + 1) % 25 == 0) std::printf("  after game %3zu: %9zu bytes in use\n", i + 1, bytes[i]);
    std::printf("growth per game: games 21-50 %+.0f bytes (the warm-up), games 50-200 %+.0f bytes (goal: under 1 kB)",
                slope(bytes, 20, 50), slope(bytes, 49, 200));
    if (bytes.size() > 200) std::printf(", games 50-%zu %+.0f bytes", bytes.size(), slope(bytes, 49, bytes.size()));
    std::printf("\n");
    return status;
}
