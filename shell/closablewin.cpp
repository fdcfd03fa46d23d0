#include "shell/closablewin.h"

#include "shell/menu.h"

namespace shell {

void ClosableWin::Event_EnableMenuItems() {
    EnableMenuItems();
    // Last, so "Fermer" is on whatever the subclass did.
    FichierFermer().SetEnabled(true);
}

bool ClosableWin::_FichierFermer_Action() {
    Close();
    return false;
}

void ClosableWin::AddCloseHandler() {
    AddMenuHandler(QStringLiteral("FichierFermer"), [this] { return _FichierFermer_Action(); });
}

}  // namespace shell
