#pragma once
// The OK/Cancel group of the new-game dialog: "Annuler" closes the dialog, "Ok" starts the game
// the dialog sets up, by the two flags the dialog gives the group: against the computer, as the
// host of a network game, or as a guest. OK never closes the dialog: the hub does, once the
// handshake of the new connection arrives.
#include "framework/container.h"

namespace fw {
class PushButton;
}

class ButonsOkCancel : public fw::ContainerControl {
    Q_OBJECT
public:
    explicit ButonsOkCancel(QWidget* parent = nullptr);

    // OK plays against the computer: the computer player's client joins the hosted game.
    bool iaMode = false;
    // OK hosts the game (true) or joins one as a guest (false).
    bool servMode = false;

    fw::PushButton* PushButton2;  // "Annuler", the cancel button
    fw::PushButton* PushButton1;  // "Ok", the default button

    void PushButton1_Action();
    void PushButton2_Action();
    void SetIAMode(bool b);
    // False also enables OK; true leaves it as it is.
    void SetServMode(bool b);
};

// Whether OK refuses this address as the machine's own ("localhost" or "127.0.0.1", whatever
// the letter case and the blanks around it).
bool IsLocalAddress(const QString& address);
