#pragma once
// The base of the ordinary document windows: while one is in front "Fermer" is enabled and
// closes it. Subclasses bind FichierFermer to _FichierFermer_Action in their AddMenuHandlers and
// handle EnableMenuItems() (not Event_EnableMenuItems) for their own items.
#include "framework/window.h"

namespace shell {

class ClosableWin : public fw::Window {
    Q_OBJECT
public:
    using fw::Window::Window;

    void Event_EnableMenuItems() override;
    bool _FichierFermer_Action();

protected:
    // The class's own EnableMenuItems event, raised before "Fermer" is enabled.
    virtual void EnableMenuItems() {}
    // Binds "FichierFermer" to _FichierFermer_Action.
    void AddCloseHandler();
};

}  // namespace shell
