#pragma once
// The play window: the board canvas and its three animators, the communication drawer beside
// it, the end-of-game flow into the high scores, the Audio items and the ambient music.
#include "shell/closablewin.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class AnimReturn;
class AnimTomber;
class AnimWinner;
class EndShow;
class KxMap;
class OutilContain;

namespace fw {
class Timer;
}

namespace wnd {

class Outil_Mac;

class game : public shell::ClosableWin {
    Q_OBJECT
public:
    game();
    ~game() override;

    QString type;
    std::vector<QString> keys;
    QPointer<Outil_Mac> o_mac;
    std::unique_ptr<EndShow> endGame;

    // The drawer's panel; the first read makes the drawer, attached and still closed.
    OutilContain* moutil();

    void Launch(const QString& mode, std::int32_t colour);

    KxMap* KxGrid;
    AnimWinner* animWinnerJeton;
    AnimReturn* AnimReturnJeton;
    fw::Timer* Drawer;
    AnimTomber* AnimTombeJeton;

    void KxGrid_GetAnimatorInstance(AnimWinner*& winner, AnimTomber*& fall, AnimReturn*& back);
    void KxGrid_InfoChange(const QString& text);
    void KxGrid_MainChange(const QString& text);
    void KxGrid_WinChange(const QString& text);
    void KxGrid_NewGameStarted();
    void KxGrid_EndGameReached(std::int32_t seconds, std::int32_t moves, std::int32_t strategy, bool won);
    void Drawer_Action();

    void AddMenuHandlers() override;
    void Event_Close() override;
    bool Event_KeyDown(const QString& key) override;
    bool _AudioBruitage_Action();
    bool _AudioMusiqueambiante_Action();
    bool _AudioSonfindepartie_Action();

protected:
    void EnableMenuItems() override;
};

}  // namespace wnd

wnd::game& game();
