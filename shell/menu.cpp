#include "shell/menu.h"

#include "framework/guard.h"

namespace shell {

namespace {

Menu* g_menu = nullptr;

struct ItemDef {
    const char* name;
    fw::MenuItem::Kind kind;
    const char* text;
    const char* shortcut;  // nullptr: no shortcut call at all
    bool autoEnable;
};

using K = fw::MenuItem::Kind;

void build(Menu& bar, const char* menuName, const char* caption, std::initializer_list<ItemDef> items) {
    auto* menu = new fw::MenuItem();
    menu->SetName(QString::fromUtf8(menuName));
    menu->SetAutoEnable(false);
    menu->SetText(QString::fromUtf8(caption));
    menu->SetKeyboardShortcut(QString());
    bar.Append(menu);
    for (const ItemDef& d : items) {
        auto* item = new fw::MenuItem(d.kind);
        item->SetName(QString::fromUtf8(d.name));
        item->SetAutoEnable(d.autoEnable);
        item->SetText(QString::fromUtf8(d.text));
        if (d.shortcut) item->SetKeyboardShortcut(QString::fromUtf8(d.shortcut));
        fw::Deref(bar.Child(QString::fromUtf8(menuName))).Append(item);
    }
}

}  // namespace

Menu::Menu() {
    JeuMenu();
    UntitledMenu2();
    UntitledMenu1();
    UntitledMenu0();
}

void Menu::JeuMenu() {
    build(*this, "JeuMenu", "Jeu",
          {{"JeuNewGame", K::Item, "Nouvelle partie ...", "Cmd+N", false},
           {"JeuMeilleursScores", K::Item, "Meilleurs scores", "Cmd+T", true},
           {"UntitledSeparator", K::Item, "-", nullptr, true},
           {"FichierFermer", K::Item, "Fermer", "Cmd+W", true},
           {"FileQuit", K::Quit, "Quitter", "Cmd+Q", true}});
}

void Menu::UntitledMenu2() {
    build(*this, "UntitledMenu2", "Édition",
          {{"EditUndo", K::Item, "Annuler", "Cmd+Z", false},
           {"UntitledMenu3", K::Item, "-", nullptr, false},
           {"EditCut", K::Item, "Couper", "Cmd+X", false},
           {"EditCopy", K::Item, "Copier", "Cmd+C", false},
           {"EditPaste", K::Item, "Coller", "Cmd+V", false},
           {"EditClear", K::Item, "Effacer", "", false},
           {"EditionPreferences", K::Prefs, "Préférences...", "Cmd+;", false}});
}

void Menu::UntitledMenu1() {
    build(*this, "UntitledMenu1", "Audio",
          {{"AudioBruitage", K::Item, "Bruitage", "", false},
           {"AudioMusiqueambiante", K::Item, "Musique ambiante", "", false},
           {"AudioSonfindepartie", K::Item, "Son fin de partie", "", false}});
}

void Menu::UntitledMenu0() {
    build(*this, "UntitledMenu0", "Aide",
          {{"AideAidedeTarvelle4", K::Item, "Aide de Quorril", "Cmd+?", false},
           {"AideAdresseIP", K::Item, "Adresse IP", "Cmd+I", true},
           {"AppleAproposdeTarvelle4", K::About, "À propos de Quorril", "", false}});
}

Menu& TheMenu() {
    if (!g_menu) g_menu = new Menu();
    return *g_menu;
}

void ReleaseMenu() {
    delete g_menu;
    g_menu = nullptr;
}

}  // namespace shell

namespace {
fw::MenuItem& item(const char* name) {
    return fw::Deref(shell::TheMenu().Lookup(QString::fromLatin1(name)), name);
}
}  // namespace

fw::MenuItem& JeuNewGame() { return item("JeuNewGame"); }
fw::MenuItem& JeuMeilleursScores() { return item("JeuMeilleursScores"); }
fw::MenuItem& FichierFermer() { return item("FichierFermer"); }
fw::MenuItem& EditionPreferences() { return item("EditionPreferences"); }
fw::MenuItem& AudioBruitage() { return item("AudioBruitage"); }
fw::MenuItem& AudioMusiqueambiante() { return item("AudioMusiqueambiante"); }
fw::MenuItem& AudioSonfindepartie() { return item("AudioSonfindepartie"); }
fw::MenuItem& AideAidedeTarvelle4() { return item("AideAidedeTarvelle4"); }
fw::MenuItem& AideAdresseIP() { return item("AideAdresseIP"); }
fw::MenuItem& AppleAproposdeTarvelle4() { return item("AppleAproposdeTarvelle4"); }
