#include "shell/app.h"

#include "framework/guard.h"
#include "framework/sound.h"
#include "game/ia.h"
#include "info/about.h"
#include "info/help.h"
#include "net/twin.h"
#include "net/winip.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "shell/pref.h"
#include "shell/scores.h"
#include "sprites/resources.h"
#include "windows/newgame.h"

namespace shell {

App::App() = default;
App::~App() = default;

Preferences& App::Prefs() const { return fw::Deref(prefs.get(), "App.prefs"); }

void App::Event_Open() {
    prefs = std::make_shared<Preferences>();
    ia().SetVisible(false);
    FrameWindow().Maximize();
    prefs->LoadPrefs();
    prefs->FixItem(prefkey::kSndAmbiance, fw::Variant(true));
    prefs->FixItem(prefkey::kSndBruitage, fw::Variant(true));
    prefs->FixItem(prefkey::kSndEndgame, fw::Variant(true));
    prefs->FixItem(prefkey::kSndEndgameType, fw::Variant(std::int32_t(1)));
    prefs->FixItem(prefkey::kIaMessage, fw::Variant(true));
    prefs->FixItem(prefkey::kNewGameAtStartup, fw::Variant(true));
    prefs->FixItem(prefkey::kNewGameStartupColor, fw::Variant(std::int32_t(-1)));
    prefs->FixItem(prefkey::kClickForJeton, fw::Variant(false));
    prefs->FixItem(prefkey::kDifficulty, fw::Variant(std::int32_t(3)));
    AudioBruitage().SetChecked(prefs->GetBooleanItem(prefkey::kSndBruitage));
    AudioMusiqueambiante().SetChecked(prefs->GetBooleanItem(prefkey::kSndAmbiance));
    AudioSonfindepartie().SetChecked(prefs->GetBooleanItem(prefkey::kSndEndgame));
    twin().Show();
    if (prefs->GetBooleanItem(prefkey::kNewGameAtStartup)) {
        // A damaged file must not start a game with a colour nobody can play.
        const std::int32_t colour = prefs->GetIntegerItem(prefkey::kNewGameStartupColor) == 1 ? 1 : -1;
        twin().LaunchServer(colour);
        fw::Deref(ia().Control<wnd::ComIA>(QStringLiteral("ComIA")), "ComIA").Launch(net::kGamePort, QStringLiteral("127.0.0.1"));
    }
}

void App::Event_EnableMenuItems() {
    JeuNewGame().SetEnabled(!isOpenedGame);
    AppleAproposdeTarvelle4().SetEnabled(true);
    EditionPreferences().SetEnabled(true);
    AideAidedeTarvelle4().SetEnabled(true);
    AideAdresseIP().SetEnabled(true);
    JeuMeilleursScores().SetEnabled(true);
}

bool App::Event_CancelClose() {
    IsTerminating = true;
    return false;
}

void App::Event_Close() {
    IsTerminating = true;
    if (prefs) prefs->SavePrefs();
}

// The part of the quit that needs no display: the top ten into the store, as the high-score
// window's close request puts it, then the one write of the file. (A window that was never made
// holds nothing the store lacks.)
void App::Event_DisplayLost() {
    IsTerminating = true;
    if (fw::Exists<wnd::scores>()) ::scores().StoreTable();
    if (prefs) prefs->SavePrefs();
}

bool App::_JeuNewGame_Action() {
    newgame().Show();
    return false;
}

bool App::_AideAidedeTarvelle4_Action() {
    help().Show();
    return false;
}

// An open window only comes to the front: its credits go on where they are.
bool App::_AppleAproposdeTarvelle4_Action() {
    about().Show();
    return false;
}

bool App::_EditionPreferences_Action() {
    pref().Show();
    return false;
}

bool App::_AideAdresseIP_Action() {
    WinIP().Show();
    return false;
}

bool App::_JeuMeilleursScores_Action() {
    scores().SetVisible(true);
    return true;
}

void App::PlayEndOfGame(std::int32_t result) {
    const std::int32_t type = prefs ? prefs->GetIntegerItem(prefkey::kSndEndgameType) : 0;
    const bool on = prefs && prefs->GetBooleanItem(prefkey::kSndEndgame);
    if (!on || (result != 0 && result != 1)) return;
    if (type == 0) {
        fw::Beep();
        return;
    }
    if (auto sound = result == 0 ? winner() : loser()) sound->Play();
}

void AddApplicationMenuHandlers(App& app) {
    app.AddMenuHandler(QStringLiteral("JeuNewGame"), [&app] { return app._JeuNewGame_Action(); });
    app.AddMenuHandler(QStringLiteral("AideAidedeTarvelle4"), [&app] { return app._AideAidedeTarvelle4_Action(); });
    app.AddMenuHandler(QStringLiteral("AppleAproposdeTarvelle4"), [&app] { return app._AppleAproposdeTarvelle4_Action(); });
    app.AddMenuHandler(QStringLiteral("EditionPreferences"), [&app] { return app._EditionPreferences_Action(); });
    app.AddMenuHandler(QStringLiteral("AideAdresseIP"), [&app] { return app._AideAdresseIP_Action(); });
    app.AddMenuHandler(QStringLiteral("JeuMeilleursScores"), [&app] { return app._JeuMeilleursScores_Action(); });
}

void Prepare(App& app) {
    app.AtFinalise(ReleaseResources);
    app.SetMenuBar(&TheMenu());
    app.Register();
    AddApplicationMenuHandlers(app);
}

}  // namespace shell

shell::App& App() {
    return fw::Deref(dynamic_cast<shell::App*>(fw::Application::Current()), "App");
}
