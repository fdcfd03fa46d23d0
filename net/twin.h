#pragma once
// The hub window: the start-up splash, then, hidden for the whole run, the place that hosts or
// joins a game and turns the game messages of the peer into calls on the game window.
#include "framework/window.h"

#include <QString>

#include <cstdint>

class QLabel;

namespace fw {
class Bonjour;
class Timer;
}

namespace net {

class Client;
class Serveur;

constexpr std::int32_t kGamePort = 1234;
inline const QString kServiceType = QStringLiteral("_servquorril._tcp.");

}  // namespace net

namespace wnd {

class twin : public fw::Window {
    Q_OBJECT
public:
    twin();
    ~twin() override;

    // This side hosts the game; chooses the route of RawSend and SendMessage.
    bool server = false;
    // The host's own colour, sent in "TCOL".
    std::int32_t mcol = 0;

    net::Serveur* connectServ;
    fw::Timer* Timer1;
    QLabel* StaticText1;
    QLabel* StaticText2;
    // Publishes the hosted game while it waits for its guest.
    fw::Bonjour* Bonjour1;
    net::Client* connectClt;

    // Hosts on port 1234 with the given own colour (-1 yellow, +1 blue).
    void LaunchServer(std::int32_t colour);
    // Joins the host at address on port 1234.
    void LaunchConnexion(const QString& address);
    // One game message to the peer: participant 1 when hosting, participant 0 when joined.
    void RawSend(const QString& message);
    // "MESS" + line, by the same route.
    void SendMessage(const QString& line);
    // Closes the relay server, then the relay client, then stops the publication.
    void StopAll();

    void connectServ_NewTrame(std::int32_t from, std::int32_t to, const QString& dir, const QString& text);
    void connectServ_StatChanged(std::int32_t code, const QString& a, const QString& b);
    void connectClt_NewTrame(std::int32_t from, std::int32_t to, const QString& dir, const QString& text);
    void connectClt_StatChanged(std::int32_t code, const QString& info);
    void Timer1_Action();
    bool Event_MouseDown(int x, int y);

    // The hub lives until the application quits.
    bool Event_CancelClose(bool appQuitting) override { return !appQuitting; }

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    enum class Side { Host, Guest };
    void DataWork(const QString& payload, Side side);
    void Error(const QString& text);

    // "ISOK" counts only as the answer to the "TCOL" just sent: a guest cannot restart the
    // host's game by sending it again.
    bool awaitingIsok_ = false;
};

// The hub's single instance, created (and shown as the splash) on first use.
class twin& twin();

}  // namespace wnd

using wnd::twin;
