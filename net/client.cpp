#include "net/client.h"

namespace net {

QString ToQString(std::u32string_view text) {
    return QString::fromUcs4(text.data(), qsizetype(text.size()));
}

QByteArray MakeFrame(std::int32_t sender, const QString& body) {
    const QByteArray utf8 = body.toUtf8();
    std::string out;
    if (!BuildFrame(sender, std::string_view(utf8.constData(), std::size_t(utf8.size())), out)) return {};
    return QByteArray(out.data(), qsizetype(out.size()));
}

QString Pad5(std::int32_t id) { return QString::fromStdString(PadNumber(id, int(kIdChars))); }

Client::Client(QObject* parent) : fw::TCPSocket(parent) {}

void Client::Launch(std::int32_t port, const QString& address) {
    if (StatChanged) StatChanged(1, QString());
    Close();
    SetPort(port);
    SetAddress(address);
    Connect();
}

void Client::Send(const QString& text, bool toAll, std::int32_t destination) {
    if (NewTrame) NewTrame(MyID, destination, kDirSend, text);
    if (toAll)
        DataSend(kTagToAll + text, 0, kDirWritten);
    else
        DataSend(kTagToId + Pad5(destination) + text, destination, kDirWritten);
}

void Client::GiveList() { DataSend(kTagList, 0, kDirWritten); }

void Client::DataSend(const QString& body, std::int32_t destination, const QString& dir) {
    const QByteArray frame = MakeFrame(MyID, body);
    // A payload too long for a length field cannot be framed; it is not sent.
    if (frame.isEmpty()) return;
    Write(frame);
    if (NewTrame) NewTrame(MyID, destination, dir, QString::fromUtf8(frame));
}

void Client::Event_Connected() {
    if (StatChanged) StatChanged(2, QString());
}

void Client::Event_Error() {
    if (StatChanged) StatChanged(0, QString::number(LastErrorCode()));
}

void Client::Event_DataAvailable() { ProcessData(Read(kReadSliceBytes)); }

void Client::ProcessData(const QByteArray& bytes) {
    // A new connection starts a new stream: nothing of the old one may complete its frames.
    if (readerGeneration_ != Generation()) {
        reader_.Reset();
        readerGeneration_ = Generation();
    }
    reader_.Feed(bytes.constData(), std::size_t(bytes.size()));
    const std::uint64_t gen = Generation();
    std::u32string frame;
    // A handler that closes or relaunches the connection ends this stream.
    while (gen == Generation() && reader_.Next(frame)) handleFrame(frame);
}

void Client::handleFrame(const std::u32string& frame) {
    const FrameFields f = SplitFrame(frame);
    if (NewTrame) NewTrame(f.sender, MyID, kDirRead, ToQString(frame));
    const QString tag = ToQString(f.tag);
    if (tag == kTagYourId) {
        MyID = ParseLeadingInt(f.argument);
        if (Info) Info(QStringLiteral("Received ID"), MyID);
    } else if (tag == kTagListAnswer) {
        if (ResultEvent) ResultEvent(0, ToQString(f.from21));
    } else if (tag == kTagNewClient) {
        if (StatChanged) StatChanged(3, QString());
        GiveList();
    } else if (tag == kTagClosed) {
        if (StatChanged) StatChanged(4, QString());
        GiveList();
    } else {
        if (NewTrame) NewTrame(f.sender, MyID, kDirDelivered, ToQString(f.from12));
    }
}

}  // namespace net
