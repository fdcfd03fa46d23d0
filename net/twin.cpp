#include "net/twin.h"

#include "framework/bonjour.h"
#include "framework/guard.h"
#include "framework/sound.h"
#include "framework/timer.h"
#include "net/client.h"
#include "net/gtools.h"
#include "net/serveur.h"
#include "net/showcolor.h"
#include "net/waitconnect.h"
#include "shell/app.h"
#include "shell/preferences.h"
#include "sprites/kxmap.h"
#include "sprites/resources.h"
#include "windows/game.h"
#include "windows/newgame.h"
#include "windows/outilcontain.h"

#include <QLabel>
#include <QMouseEvent>

namespace wnd {

namespace {

// While the application quits, sockets that close cause nothing.
bool terminating() {
    auto* app = dynamic_cast<shell::App*>(fw::Application::Current());
    return app && app->IsTerminating;
}

std::int32_t parseInt(const QString& s) { return net::ParseLeadingInt(std::u32string_view(s.toStdU32String())); }

QLabel* label(QWidget* parent, const char* name, int x, int y, int w, int h, const QString& text, const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, w, h);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    l->setFont(font);
    return l;
}

}  // namespace

twin::twin() {
    setWindowTitle(QStringLiteral("Quorril"));
    SetWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(383, 118);

    connectServ = new net::Serveur(this);
    connectServ->setObjectName(QStringLiteral("connectServ"));
    // A game is played by two: the host and one guest.
    connectServ->SetSingleGuest(true);
    connectServ->NewTrame = [this](std::int32_t f, std::int32_t t, const QString& d, const QString& x) { connectServ_NewTrame(f, t, d, x); };
    connectServ->StatChanged = [this](std::int32_t c, const QString& a, const QString& b) { connectServ_StatChanged(c, a, b); };

    Timer1 = new fw::Timer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->onAction = [this] { Timer1_Action(); };
    Timer1->SetPeriod(2000);
    Timer1->SetMode(fw::Timer::ModeSingle);

    QFont title(QStringLiteral("Helvetica"));
    title.setPixelSize(50);
    title.setBold(true);
    StaticText1 = label(this, "StaticText1", 36, 14, 308, 53, QStringLiteral("Quorril"), title);
    QFont credits(QStringLiteral("Geneva"));
    credits.setPixelSize(12);
    credits.setBold(true);
    StaticText2 = label(this, "StaticText2", 41, 70, 303, 34, QStringLiteral("Un jeu de puissance 4 en réseau\nQuorril"), credits);

    Bonjour1 = new fw::Bonjour(this);
    Bonjour1->setObjectName(QStringLiteral("Bonjour1"));

    connectClt = new net::Client(this);
    connectClt->setObjectName(QStringLiteral("connectClt"));
    connectClt->NewTrame = [this](std::int32_t f, std::int32_t t, const QString& d, const QString& x) { connectClt_NewTrame(f, t, d, x); };
    connectClt->StatChanged = [this](std::int32_t c, const QString& i) { connectClt_StatChanged(c, i); };
}

twin::~twin() = default;

void twin::LaunchServer(std::int32_t colour) {
    server = true;
    mcol = colour;
    awaitingIsok_ = false;
    waitconnect().SetStatus(QStringLiteral("Attente d'une connexion ..."));
    connectServ->Launch(net::kGamePort);
    Bonjour1->Publishing_Start(net::kServiceType, QString(), QStringList());
}

void twin::LaunchConnexion(const QString& address) {
    server = false;
    waitconnect().SetStatus(QStringLiteral("Essaye de ce connecter..."));
    connectClt->Launch(net::kGamePort, address);
}

void twin::RawSend(const QString& message) {
    if (server)
        connectServ->Send(message, false, 1);
    else
        connectClt->Send(message, false, 0);
}

void twin::SendMessage(const QString& line) { RawSend(QStringLiteral("MESS") + line); }

void twin::StopAll() {
    awaitingIsok_ = false;
    connectServ->Close();
    connectClt->Close();
    Bonjour1->Publishing_Stop();
}

void twin::connectServ_NewTrame(std::int32_t, std::int32_t, const QString& dir, const QString& text) {
    if (terminating()) return;
    if (dir == net::kDirDelivered) DataWork(text, Side::Host);
}

void twin::connectServ_StatChanged(std::int32_t code, const QString& a, const QString&) {
    if (terminating()) return;
    if (code == 0) Error(GTools::MakeUTF(a.toUtf8()));
    if (code == 2) {
        awaitingIsok_ = true;
        connectServ->Send(QStringLiteral("TCOL") + QString::number(mcol), false, 1);
    }
    if (code == 1) Bonjour1->Publishing_Stop();
}

void twin::connectClt_NewTrame(std::int32_t, std::int32_t, const QString& dir, const QString& text) {
    if (terminating()) return;
    if (dir == net::kDirDelivered) DataWork(text, Side::Guest);
}

void twin::connectClt_StatChanged(std::int32_t code, const QString& info) {
    if (terminating()) return;
    if (code == 0) Error(GTools::MakeUTF(info.toUtf8()));
    if (code == 1) waitconnect().SetStatus(QStringLiteral("Connexion en cours..."));
}

void twin::DataWork(const QString& payload, Side side) {
    const QString t = GTools::RemakeUTF(payload);
    const QString command = t.left(4);
    const QString argument = t.mid(4);
    // Each side acts on the messages of its own role only, and only as long as it holds it.
    const bool asHost = side == Side::Host && server;
    const bool asGuest = side == Side::Guest && !server;
    if (command == QLatin1String("TCOL")) {
        if (!asGuest) return;
        const std::int32_t offered = parseInt(argument);
        if (offered != 1 && offered != -1) return;
        const std::int32_t c = -offered;
        // The new-game dialog closes at the handshake, not when its OK is pressed.
        fw::CloseInstance<class waitconnect>();
        fw::CloseInstance<wnd::newgame>();
        ::game().Launch(QStringLiteral("client"), c);
        showcolor().ShowTheColor(c);
        connectClt->Send(QStringLiteral("ISOK"), false, 0);
    } else if (command == QLatin1String("ISOK")) {
        if (!asHost || !awaitingIsok_) return;
        awaitingIsok_ = false;
        fw::CloseInstance<class waitconnect>();
        fw::CloseInstance<wnd::newgame>();
        ::game().Launch(QStringLiteral("serveur"), mcol);
    } else if (command == QLatin1String("IPLA")) {
        if (!(asHost || asGuest) || !fw::Exists<class game>()) return;
        const qsizetype hash = argument.indexOf(QLatin1Char('#'));
        const std::int32_t column = parseInt(hash < 0 ? argument : argument.left(hash));
        const std::int32_t colour = hash < 0 ? 0 : parseInt(argument.mid(hash + 1));
        KxMap& board = fw::Deref(::game().KxGrid, "KxGrid");
        // A move out of turn, of the wrong colour or into a full column is not played.
        if (board.AcceptsOpponentMove(column, colour)) board.PlaceJeton(column, 2, 0, colour);
    } else if (command == QLatin1String("MESS")) {
        if (!(asHost || asGuest) || !fw::Exists<class game>()) return;
        // The panel cuts a huge line to its bound before it costs any work there.
        if (OutilContain* panel = ::game().moutil()) panel->AddChatString(argument);
        if (App().Prefs().GetBooleanItem(prefkey::kSndBruitage)) {
            if (auto sound = message()) sound->Play();
        }
    } else if (command == QLatin1String("NEWG")) {
        if (!asGuest || !fw::Exists<class game>()) return;
        fw::Deref(::game().KxGrid, "KxGrid").NewGame(::game().type);
    }
}

void twin::Error(const QString& text) {
    (void)text;  // never shown
    fw::Beep();
    fw::CloseInstance<class waitconnect>();
    fw::CloseInstance<class game>();
    fw::CloseInstance<class showcolor>();
}

void twin::Timer1_Action() { SetVisible(false); }

bool twin::Event_MouseDown(int, int) {
    SetVisible(false);
    return false;
}

void twin::mousePressEvent(QMouseEvent* e) {
    fw::GuardValue("twin.MouseDown", false, [&] { return Event_MouseDown(int(e->position().x()), int(e->position().y())); });
}

class twin& twin() { return fw::Instance<class twin>(); }

}  // namespace wnd
