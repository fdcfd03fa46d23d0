#include "sprites/kxmap.h"

#include "framework/guard.h"
#include "framework/sound.h"
#include "net/twin.h"
#include "shell/app.h"
#include "shell/preferences.h"
#include "sprites/resources.h"

#include <vector>

namespace {
constexpr int kTokenSize = 70;
constexpr int kHalf = 35;
constexpr int kDragOrder = 50;
}  // namespace

KxMap::KxMap(QWidget* parent) : SMSpriteSurface(parent) {
    setObjectName(QStringLiteral("KxGrid"));
    setFocusPolicy(Qt::NoFocus);
}

KxMap::~KxMap() {
    if (animWinnerInst) animWinnerInst->StopIt();
}

std::int32_t KxMap::ColumnAt(std::int32_t x) {
    const std::int32_t dx = x - 75;
    if (dx < 0) return -1;
    const std::int32_t col = dx / kTokenSize;
    return col <= 6 ? col : -1;
}

void KxMap::tell(const std::function<void(const QString&)>& event, const QString& text) {
    if (event) event(text);
}

bool KxMap::animating() const {
    return (animTomberInst && animTomberInst->IsRunning()) || (animReturnInst && animReturnInst->IsRunning());
}

void KxMap::Event_Open() {
    AnimWinner* winner = nullptr;
    AnimTomber* fall = nullptr;
    AnimReturn* back = nullptr;
    if (GetAnimatorInstance) GetAnimatorInstance(winner, fall, back);
    animWinnerInst = winner;
    animTomberInst = fall;
    animReturnInst = back;
    auto picture = fw::Picture::New(width(), height());
    if (picture) {
        if (auto board = plateau()) picture->Graphics().DrawPicture(*board, 0, 0);
        SetBackdrop(picture);
    }
}

void KxMap::SetMyColor(std::int32_t colour) {
    CouleurSelf = colour;
    CouleurAdv = -colour;
}

void KxMap::NewGame(const QString& type) {
    EndedGame = false;
    fw::Deref(animWinnerInst.data(), "animWinnerInst").StopIt();
    // A fall or a flight of the previous game must not land in this one.
    if (animTomberInst) animTomberInst->Cancel();
    if (animReturnInst) animReturnInst->Cancel();
    // A drag begun in the previous game never plays into this one.
    isDragging = false;
    pressed_ = false;
    statCountCoup = 0;
    statCountSecond = 0;
    statCountStrategie = 0;
    tell(WinChange, QStringLiteral("Personne ne gagne"));
    tell(InfoChange, QStringLiteral("Aucune"));
    if (type == QLatin1String("serveur")) {
        GameMain = true;
        tell(MainChange, QStringLiteral("C'est à vous de jouer"));
    } else {
        GameMain = false;
        tell(MainChange, QStringLiteral("C'est à lui de jouer"));
    }
    if (ListAdv) Unglue(*ListAdv);
    if (ListSelf) Unglue(*ListSelf);
    ListAdv = std::make_unique<JetonList>(CouleurAdv, !GameMain, QStringLiteral("left"));
    ListSelf = std::make_unique<JetonList>(CouleurSelf, GameMain, QStringLiteral("right"));
    ListAdv->GlueOnMap(*this);
    ListSelf->GlueOnMap(*this);
    if (NewGameStarted) NewGameStarted();
    gameMap.Init();
    Reload();
    timerStartSecond = std::make_unique<InnerTimer>(this);
    timerStartSecond->SetPeriod(1000);
    timerStartSecond->SetMode(fw::Timer::ModeMultiple);
}

void KxMap::TimerAction(InnerTimer& timer) {
    if (&timer == timerStartSecond.get()) ++statCountSecond;
}

bool KxMap::Event_MouseDown(int x, int y) {
    if (isDragging) return false;
    if (EndedGame) {
        tell(InfoChange, QStringLiteral("La partie est finie"));
        return false;
    }
    if (gameMap.IsFullGame()) {
        tell(InfoChange, QStringLiteral("Match nul"));
        return false;
    }
    if (!GameMain) {
        tell(InfoChange, QStringLiteral("Ce n'est pas à vous de jouer"));
        return false;
    }
    // A press that would start a move waits while a token is on its way.
    if (animating()) return false;
    std::shared_ptr<Jeton> t = ListSelf ? ListSelf->GetActJeton() : nullptr;
    if (!t) return false;
    const std::int32_t col = ColumnAt(x);
    if (App().Prefs().GetBooleanItem(prefkey::kClickForJeton) && col >= 0) {
        actx = t->x();
        acty = t->y();
        oldOrder = t->order();
        StrategieAnalysis(col);
        PlaceJeton(col, y - kHalf, x - kHalf, CouleurSelf);
        return false;
    }
    if (t->x() < x && x < t->x() + kTokenSize && t->y() < y && y < t->y() + kTokenSize) {
        actx = t->x();
        acty = t->y();
        oldOrder = t->order();
        t->setOrder(kDragOrder);
        pressed_ = true;
        return true;
    }
    tell(InfoChange, QStringLiteral("Vous devez cliquer sur le pion clair"));
    return false;
}

void KxMap::Event_MouseDrag(int x, int y) {
    if (!pressed_) return;
    std::shared_ptr<Jeton> t = ListSelf ? ListSelf->GetActJeton() : nullptr;
    if (!t) return;
    isDragging = true;
    t->setX(x - kHalf);
    t->setY(y - kHalf);
    Reload();
}

void KxMap::Event_MouseUp(int x, int y) {
    isDragging = false;
    if (!pressed_) return;
    pressed_ = false;
    std::shared_ptr<Jeton> t = ListSelf ? ListSelf->GetActJeton() : nullptr;
    if (!t) return;
    t->setOrder(oldOrder);
    const std::int32_t col = ColumnAt(x);
    if (col >= 0) {
        StrategieAnalysis(col);
        PlaceJeton(col, y - kHalf, x - kHalf, CouleurSelf);
    } else {
        fw::Deref(animReturnInst.data(), "animReturnInst").MoveFrom(actx, acty, x - kHalf, y - kHalf, t, this);
    }
}

void KxMap::PlaceJeton(std::int32_t col, std::int32_t fromY, std::int32_t fromX, std::int32_t colour) {
    JetonList* rack = colour == CouleurSelf ? ListSelf.get() : ListAdv.get();
    if (!rack) return;
    std::shared_ptr<Jeton> t = rack->GetActJeton();
    if (!t) return;
    const std::int32_t h = gameMap.CountJeton(col);
    if (gameMap.PlaceJeton(col, colour, t)) {
        t->setX(75 + kTokenSize * col);
        rack->GiveJeton();
        fw::Deref(animTomberInst.data(), "animTomberInst").Tomber(fromY - 20, 350 - kTokenSize * h, col, t, this);
        if (colour == CouleurSelf) ++statCountCoup;
    } else {
        fw::Deref(animReturnInst.data(), "animReturnInst").MoveFrom(actx, acty, fromX, fromY, t, this);
    }
}

bool KxMap::AcceptsOpponentMove(std::int32_t col, std::int32_t colour) const {
    return col >= 0 && col <= 6 && colour == CouleurAdv && CouleurAdv != 0 && !GameMain && !EndedGame &&
           !gameMap.IsFullColumn(col) && ListAdv && ListAdv->GetActJeton() &&
           !(animTomberInst && animTomberInst->IsRunning());
}

void KxMap::TomberAnimFinish(int col) {
    bool found = false;
    std::int32_t colour = 0;
    Quadruplet line;
    gameMap.HaveWinner(found, colour, line);
    if (GameMain) {
        GameMain = false;
        tell(MainChange, QStringLiteral("C'est à lui de jouer"));
        SendNetMessage(QStringLiteral("IPLA") + QString::number(col) + QStringLiteral("#") + QString::number(CouleurSelf));
    } else {
        GameMain = true;
        tell(MainChange, QStringLiteral("C'est à vous de jouer"));
    }
    if (App().Prefs().GetBooleanItem(prefkey::kSndBruitage)) {
        if (auto sound = place_pion()) sound->Play();
    }
    if (found) {
        EndedGame = true;
        if (timerStartSecond) timerStartSecond->SetMode(fw::Timer::ModeOff);
        timerStartSecond.reset();
        if (colour == CouleurSelf) {
            tell(WinChange, QStringLiteral("Vous gagnez la partie"));
            App().PlayEndOfGame(0);
        } else {
            tell(WinChange, QStringLiteral("Votre adversaire gagne la partie"));
            App().PlayEndOfGame(1);
        }
        tell(InfoChange, QStringLiteral("La partie est finie"));
        if (statCountStrategie < 0) statCountStrategie = 0;
        if (EndGameReached) EndGameReached(statCountSecond, statCountCoup, statCountStrategie, colour == CouleurSelf);
        fw::Deref(animWinnerInst.data(), "animWinnerInst").Animer(line, this);
        return;
    }
    if (gameMap.IsFullGame()) {
        EndedGame = true;
        tell(InfoChange, QStringLiteral("La partie est finie, car le plateau est plein"));
        return;
    }
    if (GameMain) {
        if (ListSelf) ListSelf->LightJeton();
    } else {
        if (ListAdv) ListAdv->LightJeton();
    }
    Reload();
}

void KxMap::Unglue(JetonList& list) {
    for (int i = 0; i <= list.GetMaxID(); ++i)
        if (auto t = list.GetJeton(i)) t->setHidded(true);
    Reload();
    RemoveHiddenSprite();
}

void KxMap::SendNetMessage(const QString& text) { twin().RawSend(text); }

void KxMap::StrategieAnalysis(std::int32_t col) {
    KxMapGest copy(gameMap);
    copy.PlaceJeton(col, CouleurSelf, nullptr);
    if (copy.HaveWinner()) return;
    std::vector<std::int32_t> threats;
    if (gameMap.CanGamerWin(CouleurAdv, threats)) {
        bool blocks = false;
        for (std::int32_t c : threats) blocks = blocks || c == col;
        statCountStrategie += blocks ? 20 : -20;
    }
    bool openEnd = false;
    if (copy.GetMaxJetonInPlace(col, CouleurSelf, openEnd) > 2) statCountStrategie += 10;
    if (copy.CanGamerWin(CouleurSelf)) statCountStrategie += 30;
}
