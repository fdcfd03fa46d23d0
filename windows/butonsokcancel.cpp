#include "windows/butonsokcancel.h"

#include "framework/bonjour.h"
#include "framework/buttons.h"
#include "framework/graphics.h"
#include "framework/guard.h"
#include "framework/msgbox.h"
#include "game/ia.h"
#include "net/client.h"
#include "net/serveur.h"
#include "net/twin.h"
#include "windows/colorchoice.h"
#include "windows/newgame.h"

namespace {

fw::PushButton* button(QWidget* parent, const char* name, const QString& caption, int left) {
    auto* b = new fw::PushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFont(fw::DesignFont(QStringLiteral("System"), 12));
    b->setGeometry(left, 11, 69, 20);
    return b;
}

wnd::ComIA& comIA() { return fw::Deref(ia().Control<wnd::ComIA>(QStringLiteral("ComIA")), "ComIA"); }

}  // namespace

bool IsLocalAddress(const QString& address) {
    const QString a = address.trimmed();
    return a == QLatin1String("127.0.0.1") || a.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

ButonsOkCancel::ButonsOkCancel(QWidget* parent) : fw::ContainerControl(parent) {
    resize(174, 44);
    PushButton2 = button(this, "PushButton2", QStringLiteral("Annuler"), 12);
    PushButton2->SetCancel(true);
    PushButton1 = button(this, "PushButton1", QStringLiteral("Ok"), 93);
    PushButton1->SetDefault(true);
    PushButton1->setEnabled(false);
    PushButton1->Action = [this] { PushButton1_Action(); };
    PushButton2->Action = [this] { PushButton2_Action(); };
}

void ButonsOkCancel::SetIAMode(bool b) { iaMode = b; }

void ButonsOkCancel::SetServMode(bool b) {
    servMode = b;
    if (!b) PushButton1->setEnabled(true);
}

void ButonsOkCancel::PushButton1_Action() {
    wnd::newgame& dialog = newgame();
    ColorChoice& chooser = fw::Deref(dialog.Control<ColorChoice>(iaMode ? QStringLiteral("CCOrd") : QStringLiteral("CCNet")),
                                     iaMode ? "CCOrd" : "CCNet");
    const std::int32_t colour = chooser.Colour();
    comIA().Close();
    class twin& hub = twin();
    if (servMode) {
        // A connection that an earlier guest OK began would outlive the change of role.
        hub.connectClt->Close();
        hub.LaunchServer(colour);
        if (iaMode) comIA().Launch(net::kGamePort, QStringLiteral("127.0.0.1"));
        return;
    }
    const QString address = dialog.choosen_ip;
    if (IsLocalAddress(address)) {
        // The box waits in a loop of its own, in which a handshake may close the dialog and this
        // group with it: nothing of either is used once it returns.
        fw::MsgBox(QStringLiteral("Vous ne pouvez pas utiliser une adresse locale à l'ordinateur"));
        return;
    }
    // A game an earlier host OK put up (listening and published) goes before joining another.
    hub.StopAll();
    hub.LaunchConnexion(address);
}

void ButonsOkCancel::PushButton2_Action() {
    // The window that holds the group; what an earlier OK started goes on.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* window = qobject_cast<fw::Window*>(w)) {
            window->Close();
            return;
        }
    }
}
