#include "windows/game.h"

#include "framework/guard.h"
#include "framework/sound.h"
#include "framework/timer.h"
#include "game/ia.h"
#include "net/twin.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "shell/scores.h"
#include "sprites/animators.h"
#include "sprites/endshow.h"
#include "sprites/kxmap.h"
#include "sprites/resources.h"
#include "windows/outil_mac.h"
#include "windows/outilcontain.h"

namespace wnd {

namespace {

// Reads a sound preference, flips it, and shows the new state on its menu item.
bool flip(QLatin1String key, fw::MenuItem& item) {
    Preferences& prefs = App().Prefs();
    const bool now = !prefs.GetBooleanItem(key);
    item.SetChecked(now);
    prefs.SetItem(key, fw::Variant(now));
    return now;
}

// An animator of the window, off, at the shortest period (it ticks once a frame).
template <class T>
T* animator(game* owner, const char* name) {
    auto* a = new T(owner);
    a->setObjectName(QString::fromLatin1(name));
    a->SetPeriod(1);
    return a;
}

}  // namespace

game::game() {
    setWindowTitle(QStringLiteral("Quorril"));
    SetWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(640, 420);

    KxGrid = new KxMap(this);
    KxGrid->setGeometry(0, 0, 640, 420);
    animWinnerJeton = animator<AnimWinner>(this, "animWinnerJeton");
    AnimReturnJeton = animator<AnimReturn>(this, "AnimReturnJeton");
    Drawer = new fw::Timer(this);
    Drawer->setObjectName(QStringLiteral("Drawer"));
    Drawer->onAction = [this] { Drawer_Action(); };
    Drawer->SetPeriod(0);
    Drawer->SetMode(fw::Timer::ModeSingle);
    AnimTombeJeton = animator<AnimTomber>(this, "AnimTombeJeton");

    KxGrid->GetAnimatorInstance = [this](AnimWinner*& w, AnimTomber*& f, AnimReturn*& r) { KxGrid_GetAnimatorInstance(w, f, r); };
    KxGrid->InfoChange = [this](const QString& t) { KxGrid_InfoChange(t); };
    KxGrid->MainChange = [this](const QString& t) { KxGrid_MainChange(t); };
    KxGrid->WinChange = [this](const QString& t) { KxGrid_WinChange(t); };
    KxGrid->NewGameStarted = [this] { KxGrid_NewGameStarted(); };
    KxGrid->EndGameReached = [this](std::int32_t s, std::int32_t m, std::int32_t st, bool won) { KxGrid_EndGameReached(s, m, st, won); };
    // The canvas opens once all the controls exist, and takes the animators then.
    KxGrid->Open();
}

game::~game() = default;

OutilContain* game::moutil() {
    if (!o_mac) {
        o_mac = new Outil_Mac(this);
        o_mac->RunOpen();
        o_mac->SetTrailingOffset(16);
        o_mac->SetPreferredEdge(DrawerWindow::EdgeLeft);
    }
    return o_mac->Tools();
}

void game::Launch(const QString& mode, std::int32_t colour) {
    type = mode;
    App().isOpenedGame = true;
    SetTop(45);
    SetLeft(3);
    moutil()->SetGameType(type);
    KxGrid->SetMyColor(colour);
    KxGrid->NewGame(type);
    if (App().Prefs().GetBooleanItem(prefkey::kSndAmbiance)) {
        if (auto music = ambiance()) music->PlayLooping();
    }
}

void game::KxGrid_GetAnimatorInstance(AnimWinner*& winner, AnimTomber*& fall, AnimReturn*& back) {
    winner = animWinnerJeton;
    fall = AnimTombeJeton;
    back = AnimReturnJeton;
}

void game::KxGrid_InfoChange(const QString& text) {
    if (OutilContain* panel = moutil()) panel->SetRemarque(text);
}

void game::KxGrid_MainChange(const QString& text) {
    if (OutilContain* panel = moutil()) panel->Setmain(text);
}

void game::KxGrid_WinChange(const QString& text) {
    if (OutilContain* panel = moutil()) panel->SetGagnant(text);
}

void game::KxGrid_NewGameStarted() {
    if (OutilContain* panel = moutil()) panel->setRecordScoreMode(false, -1);
    if (endGame) {
        endGame->Stop();
        endGame.reset();
    }
}

void game::KxGrid_EndGameReached(std::int32_t seconds, std::int32_t moves, std::int32_t strategy, bool won) {
    if (endGame) endGame->Stop();
    endGame = std::make_unique<EndShow>(KxGrid);
    const std::int32_t difficulty = App().Prefs().GetItem(prefkey::kDifficulty).ToInt32();
    const std::int32_t score = endGame->Start(difficulty, seconds, moves, strategy, won);
    if (!won) return;
    if (::scores().isInTopTen(score)) {
        moutil()->setRecordScoreMode(true, score);
    } else {
        moutil()->AddChatString(QStringLiteral("Quorril"), QStringLiteral("Bravo, vous avez gagné avec un score de ") +
                                                               QString::number(score) +
                                                               QStringLiteral(". Mais ça n'est pas sufisant pour entrer dans le Top 10 !"));
    }
}

void game::Drawer_Action() {
    if (o_mac) o_mac->Toggle();
}

void game::AddMenuHandlers() {
    AddMenuHandler(QStringLiteral("AudioBruitage"), [this] { return _AudioBruitage_Action(); });
    AddMenuHandler(QStringLiteral("AudioMusiqueambiante"), [this] { return _AudioMusiqueambiante_Action(); });
    AddMenuHandler(QStringLiteral("AudioSonfindepartie"), [this] { return _AudioSonfindepartie_Action(); });
    AddCloseHandler();
}

void game::EnableMenuItems() {
    AudioMusiqueambiante().SetEnabled(true);
    AudioBruitage().SetEnabled(true);
    AudioSonfindepartie().SetEnabled(true);
}

void game::Event_Close() {
    if (App().IsTerminating) return;
    App().isOpenedGame = false;
    if (auto music = ambiance()) music->Stop();
    animWinnerJeton->StopIt();
    twin().StopAll();
    if (o_mac) o_mac->Close();
}

bool game::Event_KeyDown(const QString& key) {
    if (key == QLatin1String("@")) {
        keys.clear();
        return false;
    }
    // Past the word's length nothing typed can match until "@": a long session of typing keeps
    // one key more than the word, not every key.
    constexpr std::size_t kWord = 5;
    if (keys.size() > kWord) return false;
    keys.push_back(key);
    QString typed;
    for (const QString& k : keys) typed += k;
    if (typed == QLatin1String("qwelt")) ia().Show();
    return false;
}

bool game::_AudioBruitage_Action() {
    flip(prefkey::kSndBruitage, AudioBruitage());
    return false;
}

bool game::_AudioMusiqueambiante_Action() {
    const bool on = flip(prefkey::kSndAmbiance, AudioMusiqueambiante());
    if (auto music = ambiance()) {
        if (on) {
            music->PlayLooping();
        } else {
            music->Stop();
        }
    }
    return false;
}

bool game::_AudioSonfindepartie_Action() {
    flip(prefkey::kSndEndgame, AudioSonfindepartie());
    return false;
}

}  // namespace wnd

wnd::game& game() { return fw::Instance<wnd::game>(); }
