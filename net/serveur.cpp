#include "net/serveur.h"

#include "net/client.h"

#include <algorithm>

namespace net {

SrvSocket::SrvSocket(Serveur* parent) : fw::TCPSocket(parent), Parent(parent) {}

void SrvSocket::Send(const QByteArray& frame) {
    Write(frame);
    Poll();
}

void SrvSocket::Event_Connected() {
    tisListening = false;
    if (Serveur* p = Parent) p->ChildConnected(this, p);
}

void SrvSocket::Event_DataAvailable() {
    tisListening = false;
    if (Serveur* p = Parent) p->ChildDataAvailable(this, p);
}

void SrvSocket::Event_Error() {
    // The server must know whether it lost its listening socket or a client.
    failedListening = tisListening;
    tisListening = false;
    if (Serveur* p = Parent) p->ChildError(this, p);
}

Serveur::Serveur(QObject* parent) : QObject(parent) {}

Serveur::~Serveur() { Close(); }

bool Serveur::holds(const SrvSocket* s) const { return std::find(tb.begin(), tb.end(), s) != tb.end(); }

std::int32_t Serveur::GetID() const {
    for (std::int32_t id = 1;; ++id) {
        const bool taken = std::any_of(tb.begin(), tb.end(), [id](const SrvSocket* s) { return s->ID == id; });
        if (!taken) return id;
    }
}

SrvSocket* Serveur::GiveNewSk() {
    auto* s = new SrvSocket(this);
    s->ID = GetID();
    s->SetPort(prt);
    s->Listen();
    return s;
}

void Serveur::putUpListener() { tb.push_back(GiveNewSk()); }

void Serveur::drop(SrvSocket* s, bool abort) {
    tb.erase(std::find(tb.begin(), tb.end(), s));
    s->Parent = nullptr;
    if (abort) s->Abort();
    s->deleteLater();
}

void Serveur::Close() {
    ++generation_;
    while (!tb.empty()) {
        SrvSocket* s = tb.front();
        tb.erase(tb.begin());
        s->Parent = nullptr;
        s->Close();
        s->deleteLater();
    }
}

void Serveur::Launch(std::int32_t port) {
    prt = port;
    Close();
    const std::uint64_t gen = generation_;
    GiveList();
    if (gen != generation_) return;
    putUpListener();
    if (StatChanged) StatChanged(1, QString::number(tb.size() - 1), QString::number(tb.back()->ID));
}

void Serveur::GiveList() {
    if (ResultEvent) ResultEvent(0, GetListStr());
}

QString Serveur::GetListStr() const {
    QString list = QStringLiteral("0|");
    for (const SrvSocket* s : tb)
        if (!s->isListening()) list += QString::number(s->ID) + QLatin1Char('|');
    return list;
}

SrvSocket* Serveur::SearchSkID(std::int32_t id) const {
    for (SrvSocket* s : tb)
        if (s->ID == id) return s;
    return nullptr;
}

void Serveur::DataSend(SrvSocket* s, const QString& body, std::int32_t from, const QString& dir) {
    const QByteArray frame = MakeFrame(from, body);
    if (frame.isEmpty()) return;
    s->Send(frame);
    if (NewTrame) NewTrame(from, s->ID, dir, QString::fromUtf8(frame));
}

void Serveur::SendInterne(const QString& text, bool toAll, std::int32_t from, std::int32_t destination) {
    const std::uint64_t gen = generation_;
    if (toAll) {
        const std::vector<SrvSocket*> all = tb;
        for (SrvSocket* s : all) {
            if (gen != generation_) return;
            if (holds(s) && !s->isListening()) DataSend(s, text, from, kDirWritten);
        }
    } else if (SrvSocket* s = SearchSkID(destination)) {
        DataSend(s, text, from, kDirWritten);
    }
}

void Serveur::Send(const QString& text, bool toAll, std::int32_t destination) {
    const std::uint64_t gen = generation_;
    if (toAll) {
        if (NewTrame) NewTrame(0, 0, kDirSend, text);
        const std::vector<SrvSocket*> all = tb;
        for (SrvSocket* s : all) {
            if (gen != generation_) return;
            if (holds(s) && !s->isListening() && NewTrame) NewTrame(0, s->ID, kDirSend, text);
        }
    } else if (NewTrame) {
        NewTrame(0, destination, kDirSend, text);
    }
    if (gen != generation_) return;
    if ((toAll || destination == 0) && NewTrame) NewTrame(0, 0, kDirDelivered, text);
    if (gen != generation_) return;
    SendInterne(text, toAll, 0, destination);
}

void Serveur::ChildConnected(SrvSocket* s, Serveur* server) {
    if (server != this || !holds(s)) return;
    const std::uint64_t gen = generation_;
    auto alive = [&] { return gen == generation_ && holds(s); };
    if (singleGuest_) {
        const bool guestPresent = std::any_of(tb.begin(), tb.end(), [s](const SrvSocket* o) {
            return o != s && o->ID == 1 && !o->isListening();
        });
        if (guestPresent) {
            drop(s, true);
            putUpListener();
            return;
        }
    }
    if (StatChanged) StatChanged(2, QString::number(tb.size() - 1), QString::number(s->ID));
    if (!alive()) return;
    GiveList();
    if (!alive()) return;
    DataSend(s, kTagYourId + Pad5(s->ID), 0, kDirWritten);
    if (!alive()) return;
    SendInterne(kTagNewClient, true, 0, 0);
    if (gen != generation_) return;
    putUpListener();
    if (StatChanged) StatChanged(1, QString::number(tb.size() - 1), QString::number(tb.back()->ID));
}

void Serveur::ChildError(SrvSocket* s, Serveur* server) {
    if (server != this || !holds(s)) return;
    const std::int32_t id = s->ID;
    const std::int32_t code = s->LastErrorCode();
    const bool wasListener = s->failedListening;
    drop(s, true);
    if (singleGuest_ && wasListener) {
        const SrvSocket* guest = SearchSkID(1);
        if (guest && !guest->isListening()) return;
    }
    const std::uint64_t gen = generation_;
    SendInterne(kTagClosed, true, 0, 0);
    if (gen != generation_) return;
    if (StatChanged) StatChanged(0, QString::number(code), QString::number(id));
    if (gen != generation_) return;
    GiveList();
}

void Serveur::ChildDataAvailable(SrvSocket* s, Serveur* server) {
    if (server != this || !holds(s)) return;
    ProcessData(s->Read(kReadSliceBytes), s);
}

void Serveur::ProcessData(const QByteArray& bytes, SrvSocket* s) {
    s->reader.Feed(bytes.constData(), std::size_t(bytes.size()));
    const std::uint64_t gen = generation_;
    std::u32string frame;
    while (gen == generation_ && holds(s) && s->reader.Next(frame)) route(frame, s);
}

void Serveur::route(const std::u32string& frame, SrvSocket* s) {
    const std::uint64_t gen = generation_;
    auto alive = [&] { return gen == generation_ && holds(s); };
    const FrameFields f = SplitFrame(frame);
    // The connection a frame came on says who sent it, whatever its sender field claims.
    const std::int32_t sender = s->ID;
    const QString whole = ToQString(frame);
    const QString tag = ToQString(f.tag);
    if (tag == kTagToAll) {
        const QString payload = ToQString(f.from21);
        if (NewTrame) NewTrame(sender, 0, kDirRead, whole);
        if (!alive()) return;
        if (Info) Info(QStringLiteral("Data sending to all"));
        if (!alive()) return;
        if (NewTrame) NewTrame(sender, 0, kDirDelivered, payload);
        if (gen != generation_) return;
        SendInterne(payload, true, sender, 0);
    } else if (tag == kTagToId) {
        const std::int32_t destination = ParseLeadingInt(f.argument);
        const QString payload = ToQString(f.from26);
        if (NewTrame) NewTrame(sender, destination, kDirRead, whole);
        if (!alive()) return;
        if (Info) Info(QStringLiteral("Data sending from") + QString::number(sender) + QStringLiteral("to ") + QString::number(destination));
        if (!alive()) return;
        if (destination == 0) {
            if (NewTrame) NewTrame(sender, 0, kDirDelivered, payload);
        } else {
            SendInterne(payload, false, sender, destination);
        }
    } else if (tag == kTagList) {
        if (NewTrame) NewTrame(sender, ParseLeadingInt(f.argument), kDirRead, whole);
        if (!alive()) return;
        if (Info) Info(QString::number(sender) + QStringLiteral(" want list ID"));
        if (!alive()) return;
        DataSend(s, kTagListAnswer + GetListStr(), 0, kDirWritten);
    } else {
        if (NewTrame) NewTrame(sender, 0, kDirRead, whole);
        if (!alive()) return;
        if (NewTrame) NewTrame(sender, s->ID, kDirDelivered, ToQString(f.from12));
    }
}

}  // namespace net
