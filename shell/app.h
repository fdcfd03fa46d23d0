#pragma once
// The single application object: it owns the preferences store and the flags that tell the
// windows whether a game is open and whether the program is quitting.
#include "framework/application.h"

#include <cstdint>
#include <memory>

class Preferences;

namespace shell {

class App : public fw::Application {
public:
    App();
    ~App() override;

    std::shared_ptr<Preferences> prefs;  // nil until Event_Open
    // The store; using it before the Open event raises NilObjectException.
    Preferences& Prefs() const;
    bool isOpenedGame = false;
    bool IsTerminating = false;

    void Event_Open() override;
    void Event_EnableMenuItems() override;
    void Event_Close() override;
    bool Event_CancelClose() override;
    void Event_DisplayLost() override;

    bool _JeuNewGame_Action();
    bool _AideAidedeTarvelle4_Action();
    bool _AppleAproposdeTarvelle4_Action();
    bool _EditionPreferences_Action();
    bool _AideAdresseIP_Action();
    bool _JeuMeilleursScores_Action();

    // 0: the local player won, 1: the opponent won; anything else does nothing.
    void PlayEndOfGame(std::int32_t result);
};

// Binds the application object's six menu commands by item name.
void AddApplicationMenuHandlers(App& app);

// Readies a new application object as the program runs it: the cached pictures and sounds go
// first at finalisation, then the menu bar, the registration and the menu commands.
void Prepare(App& app);

}  // namespace shell

// The registered application object (it exists for the whole run).
shell::App& App();
