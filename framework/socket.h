#pragma once
// A non-blocking TCP socket as program code sees it. It connects to Address:Port, or listens on
// Port and becomes the accepted connection (then it listens no more). Its outcomes arrive only
// later, on the event loop, as the Event_ methods (run through fw::Guard): never inside Connect
// or Listen. A write on a socket that is not connected is dropped quietly, and writes never
// raise SIGPIPE. What waits to go out to a peer is bounded: a write that would queue more than
// kMaxQueuedBytes ends the connection, which then fails like a lost one. What has come in is
// bounded too: the socket takes up to kMaxReadBytes from the system, the system holds the rest
// (and the peer waits) until the program has read. A peer that stops answering without a word
// (its cable pulled, its network gone) ends the connection as a lost one once it has been silent
// kSilentPeerMs, whether or not anything waits to go to it; a connection attempt that has not
// succeeded after kConnectMs fails so too. Event_DataAvailable comes once per turn of
// the event loop: a handler may read a slice of what has arrived, and it comes again on the next
// turn for the rest, so the program's windows have their turn between slices. An error comes
// after every byte that arrived before it.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdint>


namespace fw {

// LastErrorCode values.
enum SocketError : std::int32_t {
    NoSocketError = 0,
    OpenDriverError = 100,
    LostConnection = 102,  // refused, reset, closed by the peer, timed out
    NameResolutionError = 103,
    AddressInUseError = 105,
    InvalidStateError = 106,
    InvalidPortError = 107,
    OutOfMemoryError = 108,
};

class TCPSocket : public QObject {
    Q_OBJECT
public:
    // Room for a few of the largest frames while a peer reads slowly; a peer that reads nothing
    // fills it and is let go.
    static constexpr qint64 kMaxQueuedBytes = 8 * 1024 * 1024;
    // Enough for the program's reads to keep up with a fast peer.
    static constexpr qint64 kMaxReadBytes = 1024 * 1024;
    // A quiet connection is asked whether its peer is still there (TCP keepalive) after
    // kQuietSeconds, then every kProbeSeconds; a peer silent for kSilentPeerMs (to a probe, or
    // to data sent) is gone. A live peer answers every probe: however long a player thinks, the
    // connection stays.
    static constexpr int kQuietSeconds = 10;
    static constexpr int kProbeSeconds = 5;
    static constexpr int kSilentPeerMs = 30000;
    // A host that has not answered a connection attempt by then is not there.
    static constexpr int kConnectMs = 20000;

    explicit TCPSocket(QObject* parent = nullptr);
    ~TCPSocket() override;

    QString Address() const { return address_; }
    void SetAddress(const QString& a) { address_ = a; }
    std::int32_t Port() const { return port_; }
    void SetPort(std::int32_t p) { port_ = p; }

    // Ends whatever the socket did, then connects to Address:Port.
    void Connect();
    // Ends whatever the socket did, then listens on Port (at the listen address).
    void Listen();
    // Ends the connection (what was written still goes out) or the listening; raises nothing.
    void Close();
    // Ends the connection at once, dropping unsent data; raises nothing.
    void Abort();

    bool IsConnected() const;

    // Queues bytes for the peer. When the queue would outgrow kMaxQueuedBytes, the connection
    // ends at once (what was queued is dropped) and Event_Error follows with LostConnection.
    void Write(const QByteArray& bytes);
    // Pushes what was written to the system now.
    void Poll();
    QByteArray ReadAll();
    // At most maxBytes of what has arrived.
    QByteArray Read(qint64 maxBytes);

    std::int32_t LastErrorCode() const { return lastError_; }
    // The address of this end of the connection; the machine's network address when unconnected.
    QString LocalAddress() const;

    // Changes with every Connect, Listen, Close and Abort: code that holds on to a connection
    // across an event can tell whether it is still the same one.
    std::uint64_t Generation() const { return generation_; }

    // Where listening sockets bind: empty (the default) means every interface.
    static void SetListenAddress(const QString& address);

protected:
    virtual void Event_Connected() {}
    virtual void Event_DataAvailable() {}
    virtual void Event_Error() {}

private:
    void end(bool graceful);
    void adopt(QTcpSocket* s);
    void takeConnection();
    void raiseError(std::int32_t code);
    void deliverData(std::uint64_t gen);
    // Hands one slice to Event_DataAvailable; the next turn brings the next one, or the error
    // that came after the data.
    void deliverSlice(std::uint64_t gen);

    QString address_;
    std::int32_t port_ = 0;
    std::int32_t lastError_ = NoSocketError;
    std::uint64_t generation_ = 0;
    bool errored_ = false;
    // A turn is asked for: the rest of what arrived, or the error, comes then.
    bool turnAsked_ = false;
    // The error the connection ended with, raised once its data has been delivered.
    std::int32_t pendingError_ = NoSocketError;
    QPointer<QTcpSocket> sock_;
    QPointer<QTcpServer> server_;
    QString serverKey_;
};

// The machine's address on its network (dotted decimal): the first IPv4 address of an interface
// that is up and not the loopback; "127.0.0.1" when there is none.
QString LocalNetworkAddress();

}  // namespace fw
