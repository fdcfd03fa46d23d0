#pragma once
// The relay server: the host, participant 0. It keeps one listening socket on its port, gives
// every joining client the lowest free id from 1 up (the listening socket's own id counts), and
// relays the clients' frames to one participant, to all, or to the host.
#include "framework/socket.h"
#include "net/framecodec.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace net {

class Serveur;

// One server-side connection; created listening, it becomes the accepted connection.
class SrvSocket : public fw::TCPSocket {
    Q_OBJECT
public:
    explicit SrvSocket(Serveur* parent);

    std::int32_t ID = 0;
    QPointer<Serveur> Parent;
    bool tisListening = true;
    // Set by an error: whether the socket was still only listening when it failed.
    bool failedListening = false;

    bool isListening() const { return tisListening; }
    // Writes the frame and pushes it out at once.
    void Send(const QByteArray& frame);

    FrameReader reader;

protected:
    void Event_Connected() override;
    void Event_DataAvailable() override;
    void Event_Error() override;
};

class Serveur : public QObject {
    Q_OBJECT
public:
    explicit Serveur(QObject* parent = nullptr);
    ~Serveur() override;

    // Events; one without a handler is not raised.
    std::function<void(std::int32_t code, const QString& a, const QString& b)> StatChanged;
    std::function<void(std::int32_t from, std::int32_t to, const QString& dir, const QString& text)> NewTrame;
    std::function<void(const QString& text)> Info;
    std::function<void(std::int32_t code, const QString& text)> ResultEvent;

    // A two-player game admits one guest: while participant 1 is connected every further
    // connection is closed at once, with nothing written and no event, and a failing listening
    // socket is dropped without an event. Off by default (a plain relay for any number).
    void SetSingleGuest(bool on) { singleGuest_ = on; }

    // Drops every connection, then listens on port.
    void Launch(std::int32_t port);
    void Send(const QString& text, bool toAll, std::int32_t destination);
    void GiveList();
    std::int32_t GetMyID() const { return 0; }
    // Closes and drops every socket, the listening one too; raises nothing.
    void Close();

    void ChildConnected(SrvSocket* s, Serveur* server);
    void ChildError(SrvSocket* s, Serveur* server);
    void ChildDataAvailable(SrvSocket* s, Serveur* server);

    // For inspection.
    const std::vector<SrvSocket*>& Sockets() const { return tb; }
    QString GetListStr() const;

private:
    std::int32_t GetID() const;
    SrvSocket* GiveNewSk();
    void SendInterne(const QString& text, bool toAll, std::int32_t from, std::int32_t destination);
    SrvSocket* SearchSkID(std::int32_t id) const;
    void DataSend(SrvSocket* s, const QString& body, std::int32_t from, const QString& dir);
    void ProcessData(const QByteArray& bytes, SrvSocket* s);
    void route(const std::u32string& frame, SrvSocket* s);
    bool holds(const SrvSocket* s) const;
    void drop(SrvSocket* s, bool abort);
    void putUpListener();

    std::vector<SrvSocket*> tb;
    std::int32_t prt = 0;
    bool singleGuest_ = false;
    // Changes at every Launch and Close, so a handler that restarted the server ends the work
    // in progress on the old sockets.
    std::uint64_t generation_ = 0;
};

}  // namespace net
