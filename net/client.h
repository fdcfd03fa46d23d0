#pragma once
// The relay client: one TCP connection to the host (participant 0), through which this
// participant sends payloads to one participant or to all and receives what the host relays.
#include "framework/socket.h"
#include "net/framecodec.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace net {

// Relay tags: each exactly nine characters.
inline const QString kTagToAll = QStringLiteral("[S_TOALL]");
inline const QString kTagToId = QStringLiteral("[S_TOID_]");
inline const QString kTagList = QStringLiteral("[S_LISTI]");
inline const QString kTagYourId = QStringLiteral("[S_YOID_]");
inline const QString kTagNewClient = QStringLiteral("[S_NEWCL]");
inline const QString kTagClosed = QStringLiteral("[S_CLOSC]");
inline const QString kTagListAnswer = QStringLiteral("[SRLISTI]");

// NewTrame directions.
inline const QString kDirSend = QStringLiteral(">");
inline const QString kDirWritten = QStringLiteral("P>");
inline const QString kDirRead = QStringLiteral("P<");
inline const QString kDirDelivered = QStringLiteral("<");

// What one turn of the event loop reads of a connection and routes: a burst from a peer is read
// slice by slice, with the program's windows getting their turn in between.
constexpr qint64 kReadSliceBytes = 64 * 1024;

QString ToQString(std::u32string_view text);
// The frame that carries body from sender; empty when it would be too long to announce.
QByteArray MakeFrame(std::int32_t sender, const QString& body);
QString Pad5(std::int32_t id);

class Client : public fw::TCPSocket {
    Q_OBJECT
public:
    explicit Client(QObject* parent = nullptr);

    // Events; one without a handler is not raised.
    std::function<void(std::int32_t from, std::int32_t to, const QString& dir, const QString& text)> NewTrame;
    std::function<void(std::int32_t code, const QString& info)> StatChanged;
    std::function<void(const QString& text, std::int32_t value)> Info;
    std::function<void(std::int32_t code, const QString& text)> ResultEvent;

    std::int32_t MyID = 0;

    // StatChanged(1), ends any connection, then connects; the outcome comes later as
    // StatChanged(2) (connected) or StatChanged(0, error number).
    void Launch(std::int32_t port, const QString& address);
    void Send(const QString& text, bool toAll, std::int32_t destination);
    std::int32_t GetMyID() const { return MyID; }
    virtual void GiveList();

protected:
    void Event_Connected() override;
    void Event_DataAvailable() override;
    void Event_Error() override;

private:
    void DataSend(const QString& body, std::int32_t destination, const QString& dir);
    void ProcessData(const QByteArray& bytes);
    void handleFrame(const std::u32string& frame);

    FrameReader reader_;
    std::uint64_t readerGeneration_ = 0;
};

}  // namespace net
