#include "game/ia.h"

#include "framework/variant.h"
#include "game/game_messages.h"
#include "game/iaclassengine.h"
#include "shell/app.h"
#include "shell/preferences.h"

#include <QLabel>
#include <QListWidget>

namespace wnd {

namespace {

std::string utf8(const QString& s) { return s.toStdString(); }

}  // namespace

ia::ia() {
    setWindowTitle(QStringLiteral("IA"));
    resize(530, 336);
    setMinimumSize(64, 64);
    setMaximumSize(32000, 32000);
    SetVisibleAtOpen(false);

    comIA = new ComIA(this);
    comIA->setObjectName(QStringLiteral("ComIA"));
    comIA->StatChanged = [this](std::int32_t c, const QString& i) { ComIA_StatChanged(c, i); };
    comIA->NewTrame = [this](std::int32_t f, std::int32_t t, const QString& d, const QString& x) { ComIA_NewTrame(f, t, d, x); };

    StaticText1 = new QLabel(QStringLiteral("Dernière reflexion de l'IA :"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setGeometry(21, 16, 184, 20);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(21, 39, 489, 277);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
}

ia::~ia() = default;

void ia::Event_Open() {
    IAEngine = std::make_unique<IAClassEngine>();
    IAEngine->SetDebugList(IADebugList{
        [this](const std::string& line) { ListBox1->addItem(QString::fromStdString(line)); },
        [this] { ListBox1->clear(); },
    });
    IAEngine->SetHost(IAEngineHost{
        [this](const std::string& message) { comIA->Send(QString::fromStdString(message), false, 0); },
        [this] { return Visible(); },
        [] {
            const Preferences& p = App().Prefs();
            return !p.HasKey(prefkey::kIaMessage) || p.GetBooleanItem(prefkey::kIaMessage);
        },
    });
}

void ia::ComIA_StatChanged(std::int32_t code, const QString&) {
    if (code != 2) return;
    IAEngine->Level = App().Prefs().GetIntegerItem(prefkey::kDifficulty);
    IAEngine->NewGame();
}

void ia::ComIA_NewTrame(std::int32_t, std::int32_t, const QString& dir, const QString& data) {
    // Only what the host delivers; the echoes of the client's own sends come here too.
    if (dir != net::kDirDelivered) return;
    const QString command = data.left(4);
    const std::string argument = utf8(data.mid(4));
    if (command == QLatin1String("TCOL")) {
        const std::int32_t c = quorril::game::LeadingNumber(argument);
        if (c != 1 && c != -1) return;
        IAEngine->SetColor(c, true);
        IAEngine->SetColor(-c, false);
        comIA->Send(QStringLiteral("ISOK"), false, 0);
    } else if (command == QLatin1String("IPLA")) {
        IAEngine->AdvPlaceJeton(quorril::game::MoveColumnOf(argument));
    } else if (command == QLatin1String("MESS")) {
        if (!App().Prefs().GetBooleanItem(prefkey::kIaMessage)) return;
        const std::string reply = IAEngine->AdvResponce(std::string(quorril::game::ChatTextOf(argument)));
        comIA->Send(QString::fromStdString(quorril::game::ChatPayload(reply)), false, 0);
    } else if (command == QLatin1String("NEWG")) {
        IAEngine->NewGame();
        IAEngine->Level = App().Prefs().GetItem(prefkey::kDifficulty).ToInt32();
    }
}

void ia::SendMessage(const QString& text) { comIA->Send(QStringLiteral("MESS<IA>") + text, false, 0); }

bool ia::Event_CancelClose(bool appQuitting) {
    if (appQuitting) return false;
    SetVisible(false);
    return true;
}

class ia& ia() { return fw::Instance<class ia>(); }

}  // namespace wnd
