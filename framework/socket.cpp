#include "framework/socket.h"

#include "framework/guard.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <map>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <csignal>

namespace fw {

namespace {

QString& listenAddress() {
    static QString a;
    return a;
}

// A listening socket that has just accepted hands its system listener over to the next
// listening socket on the same port, so a client that connects between the two is neither
// refused nor lost in the old backlog. A listener nobody takes by the next pass of the event
// loop is closed.
std::map<QString, QPointer<QTcpServer>>& parked() {
    static std::map<QString, QPointer<QTcpServer>> p;
    return p;
}

void park(const QString& key, QTcpServer* server) {
    QObject::disconnect(server, nullptr, nullptr, nullptr);
    server->setParent(nullptr);
    auto& p = parked();
    if (auto it = p.find(key); it != p.end() && it->second && it->second != server) {
        it->second->close();
        it->second->deleteLater();
    }
    p[key] = server;
    QPointer<QTcpServer> guard(server);
    QTimer::singleShot(0, [key, guard] {
        auto& pp = parked();
        auto it = pp.find(key);
        if (!guard || it == pp.end() || it->second != guard) return;
        pp.erase(it);
        guard->close();
        guard->deleteLater();
    });
}

QTcpServer* unpark(const QString& key) {
    auto& p = parked();
    auto it = p.find(key);
    if (it == p.end()) return nullptr;
    QTcpServer* s = it->second;
    p.erase(it);
    return (s && s->isListening()) ? s : nullptr;
}

std::int32_t codeOf(QAbstractSocket::SocketError e) {
    switch (e) {
    case QAbstractSocket::HostNotFoundError: return NameResolutionError;
    case QAbstractSocket::AddressInUseError: return AddressInUseError;
    case QAbstractSocket::SocketAddressNotAvailableError: return AddressInUseError;
    case QAbstractSocket::SocketResourceError: return OutOfMemoryError;
    case QAbstractSocket::UnsupportedSocketOperationError: return InvalidStateError;
    case QAbstractSocket::OperationError: return InvalidStateError;
    case QAbstractSocket::SocketAccessError: return InvalidPortError;
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::RemoteHostClosedError:
    case QAbstractSocket::SocketTimeoutError:
    case QAbstractSocket::NetworkError:
        return LostConnection;
    default: return OpenDriverError;
    }
}

// Qt writes with plain write(): a peer that has gone would raise SIGPIPE, whose default ends the
// process. Ignoring it makes such a write fail with EPIPE, which arrives as a lost connection.
void ignoreSigpipe() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

// Keepalive probes on a quiet connection, and a bound on how long anything sent (data or a probe)
// may go unanswered: the system then ends the connection with a time-out.
void watchForSilence(QTcpSocket* s) {
    const int fd = int(s->socketDescriptor());
    if (fd < 0) return;
    const int on = 1, quiet = TCPSocket::kQuietSeconds, probe = TCPSocket::kProbeSeconds;
    const int probes = TCPSocket::kSilentPeerMs / 1000 / TCPSocket::kProbeSeconds;
    const unsigned silent = TCPSocket::kSilentPeerMs;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &quiet, sizeof quiet);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &probe, sizeof probe);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &silent, sizeof silent);
}

QHostAddress bindAddress() {
    const QString& a = listenAddress();
    return a.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(a);
}

}  // namespace

void TCPSocket::SetListenAddress(const QString& address) { listenAddress() = address; }

TCPSocket::TCPSocket(QObject* parent) : QObject(parent) { ignoreSigpipe(); }

TCPSocket::~TCPSocket() { end(true); }

void TCPSocket::end(bool graceful) {
    ++generation_;
    errored_ = false;
    turnAsked_ = false;
    pendingError_ = NoSocketError;
    if (QTcpSocket* s = sock_) {
        sock_ = nullptr;
        QObject::disconnect(s, nullptr, this, nullptr);
        s->setParent(nullptr);
        if (graceful && s->state() == QAbstractSocket::ConnectedState) {
            // What was written still goes out; the socket goes once it has.
            QObject::connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater);
            QTimer::singleShot(10000, s, [s] {
                s->abort();
                s->deleteLater();
            });
            s->flush();
            s->disconnectFromHost();
            if (s->state() == QAbstractSocket::UnconnectedState) s->deleteLater();
        } else {
            s->abort();
            s->deleteLater();
        }
    }
    if (QTcpServer* srv = server_) {
        server_ = nullptr;
        QObject::disconnect(srv, nullptr, this, nullptr);
        srv->close();
        srv->deleteLater();
    }
}

void TCPSocket::Close() { end(true); }
void TCPSocket::Abort() { end(false); }

void TCPSocket::adopt(QTcpSocket* s) {
    sock_ = s;
    s->setParent(this);
    s->setReadBufferSize(kMaxReadBytes);
    const std::uint64_t gen = generation_;
    if (s->state() == QAbstractSocket::ConnectedState) watchForSilence(s);
    connect(s, &QAbstractSocket::connected, this, [this, s, gen] {
        if (gen != generation_) return;
        watchForSilence(s);
        Guard("TCPSocket.Connected", [this] { Event_Connected(); });
    });
    // New data is a turn of its own, unless the rest of earlier data has a turn coming already.
    connect(s, &QIODevice::readyRead, this, [this, gen] {
        if (gen == generation_ && !turnAsked_) deliverSlice(gen);
    });
    connect(s, &QAbstractSocket::errorOccurred, this, [this, gen](QAbstractSocket::SocketError e) {
        if (gen != generation_ || errored_) return;
        errored_ = true;
        // Later, so the error never arrives inside the call that caused it, and after whatever
        // data the peer sent before it went.
        pendingError_ = codeOf(e);
        deliverData(gen);
    });
}

void TCPSocket::deliverData(std::uint64_t gen) {
    // A turn already asked for brings this data too.
    if (gen != generation_ || turnAsked_) return;
    turnAsked_ = true;
    QTimer::singleShot(0, this, [this, gen] {
        if (gen != generation_) return;
        turnAsked_ = false;
        deliverSlice(gen);
    });
}

void TCPSocket::deliverSlice(std::uint64_t gen) {
    const qint64 before = sock_ ? sock_->bytesAvailable() : 0;
    if (before > 0) {
        Guard("TCPSocket.DataAvailable", [this] { Event_DataAvailable(); });
        if (gen != generation_) return;
        const qint64 after = sock_ ? sock_->bytesAvailable() : 0;
        // The rest on the next turn; a handler that reads nothing would be asked again and again.
        if (after > 0 && after < before) {
            deliverData(gen);
            return;
        }
    }
    if (pendingError_ != NoSocketError) {
        const std::int32_t code = pendingError_;
        pendingError_ = NoSocketError;
        raiseError(code);
    }
}

void TCPSocket::raiseError(std::int32_t code) {
    lastError_ = code;
    Guard("TCPSocket.Error", [this] { Event_Error(); });
}

void TCPSocket::Connect() {
    end(true);
    auto* s = new QTcpSocket(this);
    adopt(s);
    const std::uint64_t gen = generation_;
    if (port_ <= 0 || port_ > 65535) {
        errored_ = true;
        QTimer::singleShot(0, this, [this, gen] {
            if (gen == generation_) raiseError(InvalidPortError);
        });
        return;
    }
    s->connectToHost(address_, quint16(port_));
    // Unanswered, an attempt would go on for minutes (the system's own retries).
    QTimer::singleShot(kConnectMs, this, [this, gen] {
        if (gen != generation_ || errored_ || !sock_ || sock_->state() == QAbstractSocket::ConnectedState) return;
        errored_ = true;
        sock_->abort();
        raiseError(LostConnection);
    });
}

void TCPSocket::Listen() {
    end(true);
    const std::uint64_t gen = generation_;
    serverKey_ = listenAddress() + QLatin1Char('|') + QString::number(port_);
    QTcpServer* srv = unpark(serverKey_);
    bool failed = false;
    std::int32_t code = NoSocketError;
    if (!srv) {
        srv = new QTcpServer(this);
        if (port_ <= 0 || port_ > 65535) {
            failed = true;
            code = InvalidPortError;
        } else if (!srv->listen(bindAddress(), quint16(port_))) {
            failed = true;
            code = codeOf(srv->serverError());
        }
    }
    if (failed) {
        delete srv;
        errored_ = true;
        QTimer::singleShot(0, this, [this, gen, code] {
            if (gen == generation_) raiseError(code);
        });
        return;
    }
    srv->setParent(this);
    server_ = srv;
    connect(srv, &QTcpServer::newConnection, this, [this, gen] {
        if (gen == generation_) takeConnection();
    });
    connect(srv, &QTcpServer::acceptError, this, [this, gen](QAbstractSocket::SocketError e) {
        if (gen != generation_ || errored_) return;
        errored_ = true;
        const std::int32_t code = codeOf(e);
        QTimer::singleShot(0, this, [this, gen, code] {
            if (gen == generation_) raiseError(code);
        });
    });
    // Clients that arrived while the listener changed hands.
    if (srv->hasPendingConnections()) {
        QTimer::singleShot(0, this, [this, gen] {
            if (gen == generation_ && server_) takeConnection();
        });
    }
}

void TCPSocket::takeConnection() {
    QTcpServer* srv = server_;
    if (!srv) return;
    QTcpSocket* s = srv->nextPendingConnection();
    if (!s) return;
    server_ = nullptr;
    park(serverKey_, srv);
    ++generation_;
    errored_ = false;
    adopt(s);
    const std::uint64_t gen = generation_;
    Guard("TCPSocket.Connected", [this] { Event_Connected(); });
    // Bytes that came with the connection raised their notice before anyone listened.
    if (gen == generation_ && sock_ && sock_->bytesAvailable() > 0) deliverData(gen);
}

bool TCPSocket::IsConnected() const { return sock_ && sock_->state() == QAbstractSocket::ConnectedState; }

void TCPSocket::Write(const QByteArray& bytes) {
    if (!IsConnected() || errored_) return;
    ignoreSigpipe();
    if (sock_->bytesToWrite() + bytes.size() > kMaxQueuedBytes) {
        // The peer does not read: drop it as a lost peer, freeing its queue now. The error comes
        // later, as every error does, never inside the write.
        errored_ = true;
        const std::uint64_t gen = generation_;
        sock_->abort();
        QTimer::singleShot(0, this, [this, gen] {
            if (gen == generation_) raiseError(LostConnection);
        });
        return;
    }
    sock_->write(bytes);
}

void TCPSocket::Poll() {
    if (!IsConnected()) return;
    ignoreSigpipe();
    sock_->flush();
}

QByteArray TCPSocket::ReadAll() { return sock_ ? sock_->readAll() : QByteArray(); }

QByteArray TCPSocket::Read(qint64 maxBytes) { return sock_ && maxBytes > 0 ? sock_->read(maxBytes) : QByteArray(); }

QString TCPSocket::LocalAddress() const {
    if (IsConnected()) return sock_->localAddress().toString();
    return LocalNetworkAddress();
}

QString LocalNetworkAddress() {
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto f = i.flags();
        if (!(f & QNetworkInterface::IsUp) || !(f & QNetworkInterface::IsRunning) || (f & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            const QHostAddress a = e.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) return a.toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

}  // namespace fw
