#pragma once
// The new-game dialog: against the computer in a chosen colour, hosting a network game, or
// joining one by a typed address or from the games found on the local network. It only holds the
// user's choices; each mode's OK/Cancel group starts the game, and the hub closes the dialog
// when the handshake of the new connection arrives.
#include "shell/closablewin.h"

#include <QString>

#include <cstdint>

class ButonsOkCancel;
class ColorChoice;
class QFrame;
class QGroupBox;
class QLineEdit;

namespace fw {
class BevelButton;
class Bonjour;
class ListBox;
class PagePanel;
class RadioButton;
}  // namespace fw

namespace wnd {

class newgame : public shell::ClosableWin {
    Q_OBJECT
public:
    newgame();
    ~newgame() override;

    // The address that the guest's OK connects to.
    QString choosen_ip;

    fw::BevelButton* GameStyle[2];
    QFrame* Separator1;
    QFrame* Separator6;
    fw::Bonjour* Object1;
    fw::PagePanel* PagePanel1;
    ColorChoice* CCOrd;
    ButonsOkCancel* ButonsOkCancel1;
    QGroupBox* GroupBox1;
    fw::RadioButton* NetMode[2];
    fw::PagePanel* PagePanel2;
    fw::RadioButton* RadioButton3;
    fw::ListBox* ListBox1;
    fw::RadioButton* RadioButton2;
    QLineEdit* CltIP;
    ButonsOkCancel* ButonsOkCancel2;
    ColorChoice* CCNet;
    ButonsOkCancel* ButonsOkCancel3;

    void Object1_Open();
    void Object1_Browsing_Removed(std::int32_t index);
    void Object1_Browsing_Resolved(std::int32_t index);
    void Object1_Browsing_Found(std::int32_t index);
    void ButonsOkCancel1_Open();
    void NetMode_Action(int index);
    void GameStyle_Action(int index);
    void CCOrd_Open();
    void ButonsOkCancel3_Open();
    void CCNet_Open();
    void ButonsOkCancel2_Open();
    void ListBox1_Change();
    void RadioButton2_Action();
    void CltIP_TextChange();
    void RadioButton3_Action();
    void RadioButton3_Open();
    void AddMenuHandlers() override;
    void Event_Open() override;
    void PageGlobToChange(std::int32_t page);
    void PageNetToChange(std::int32_t page);

    // The list holds rows for the first services only; events about later ones change nothing.
    static constexpr int kMaxRows = 1000;

private:
    void GetBonjourIp();
    // The guest's OK, enabled when the selected row's service has an address.
    void enableGuestOkFromList();
};

}  // namespace wnd

// The open new-game dialog, or a new one, opened and shown.
wnd::newgame& newgame();
