#pragma once
// The board canvas: the board picture, the two racks and the tokens in play. It turns the local
// player's drags and clicks into moves, drops every move (local or received) into its board
// model, passes the turn when a fall ends, sends local moves to the peer, and reports what the
// game window shows through its events.
#include "game/kxmapgest.h"
#include "sprites/animators.h"
#include "sprites/innertimer.h"
#include "sprites/jetonlist.h"
#include "sprites/surface.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class KxMap : public SMSpriteSurface, public InnerTimerInterface, public FallListener {
    Q_OBJECT
public:
    explicit KxMap(QWidget* parent = nullptr);
    ~KxMap() override;

    std::int32_t actx = 0;
    std::int32_t acty = 0;
    QPointer<AnimReturn> animReturnInst;
    QPointer<AnimTomber> animTomberInst;
    QPointer<AnimWinner> animWinnerInst;
    std::int32_t CouleurAdv = 0;
    std::int32_t CouleurSelf = 0;
    bool EndedGame = false;
    bool GameMain = false;
    bool isDragging = false;
    std::unique_ptr<JetonList> ListAdv;
    std::unique_ptr<JetonList> ListSelf;
    std::int32_t oldOrder = 0;
    std::int32_t statCountCoup = 0;
    std::int32_t statCountSecond = 0;
    std::unique_ptr<InnerTimer> timerStartSecond;
    KxMapGest gameMap;
    std::int32_t statCountStrategie = 0;

    // Events; one without a handler is not raised.
    std::function<void(AnimWinner*&, AnimTomber*&, AnimReturn*&)> GetAnimatorInstance;
    std::function<void(const QString&)> InfoChange;
    std::function<void(const QString&)> MainChange;
    std::function<void(const QString&)> WinChange;
    std::function<void()> NewGameStarted;
    std::function<void(std::int32_t seconds, std::int32_t moves, std::int32_t strategy, bool won)> EndGameReached;

    void PlaceJeton(std::int32_t col, std::int32_t fromY, std::int32_t fromX, std::int32_t colour);
    void SetMyColor(std::int32_t colour);
    void TomberAnimFinish(int col) override;
    void Unglue(JetonList& list);
    void NewGame(const QString& type);

    // Whether a move received from the peer may be played now: a column of the board that is
    // not full, the opponent's colour, the opponent's turn, no fall under way, game not over.
    bool AcceptsOpponentMove(std::int32_t col, std::int32_t colour) const;

    // The column under a pointer at x, or -1 off the board.
    static std::int32_t ColumnAt(std::int32_t x);

    void TimerAction(InnerTimer& timer) override;

protected:
    void Event_Open() override;
    bool Event_MouseDown(int x, int y) override;
    void Event_MouseDrag(int x, int y) override;
    void Event_MouseUp(int x, int y) override;

private:
    void SendNetMessage(const QString& text);
    void StrategieAnalysis(std::int32_t col);
    // Raises a text event when the window handles it.
    void tell(const std::function<void(const QString&)>& event, const QString& text);
    bool animating() const;

    // A press on the lit token answered true: the drag and release that follow are ours.
    bool pressed_ = false;
};
