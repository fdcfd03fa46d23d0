#pragma once
// The program's menu bar and the accessors of the items that code touches by name. Each
// accessor looks its item up again in the application object's bar.
#include "framework/menu.h"

namespace shell {

// The bar, built at the first call.
class Menu : public fw::MenuBar {
    Q_OBJECT
public:
    Menu();
    void JeuMenu();
    void UntitledMenu2();
    void UntitledMenu1();
    void UntitledMenu0();
};

Menu& TheMenu();
void ReleaseMenu();

}  // namespace shell

fw::MenuItem& JeuNewGame();
fw::MenuItem& JeuMeilleursScores();
fw::MenuItem& FichierFermer();
fw::MenuItem& EditionPreferences();
fw::MenuItem& AudioBruitage();
fw::MenuItem& AudioMusiqueambiante();
fw::MenuItem& AudioSonfindepartie();
fw::MenuItem& AideAidedeTarvelle4();
fw::MenuItem& AideAdresseIP();
fw::MenuItem& AppleAproposdeTarvelle4();
