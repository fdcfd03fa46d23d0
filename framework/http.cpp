#include "framework/http.h"

#include <QUrl>

namespace fw {

namespace {

struct Parsed {
    bool headersDone = false;
    std::int32_t status = 0;
    HeaderList headers;
    qsizetype bodyStart = 0;
    qsizetype contentLength = -1;
};

Parsed parse(const QByteArray& r) {
    Parsed p;
    qsizetype end = r.indexOf("\r\n\r\n");
    qsizetype sep = 4;
    if (end < 0) {
        // Some servers end lines with LF alone.
        end = r.indexOf("\n\n");
        sep = 2;
    }
    if (end < 0) return p;
    p.headersDone = true;
    p.bodyStart = end + sep;
    const QList<QByteArray> lines = r.left(end).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        if (i == 0) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() >= 2) p.status = parts[1].toInt();
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) continue;
        const QString name = QString::fromLatin1(line.left(colon)).trimmed();
        const QString value = QString::fromLatin1(line.mid(colon + 1)).trimmed();
        p.headers.emplace_back(name, value);
        if (name.compare(QLatin1String("Content-Length"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qlonglong n = value.toLongLong(&ok);
            if (ok && n >= 0) p.contentLength = qsizetype(n);
        }
    }
    return p;
}

}  // namespace

HTTPSocket::HTTPSocket(QObject* parent) : TCPSocket(parent) {}

void HTTPSocket::Get(const QString& url) {
    Close();
    url_ = url;
    response_.clear();
    const QUrl u(url);
    if (!u.isValid() || u.scheme() != QLatin1String("http") || u.host().isEmpty()) {
        // A connection to no port fails like every other failure: after Get has returned.
        SetAddress(QString());
        SetPort(0);
        active_ = true;
        Connect();
        return;
    }
    QString path = u.path(QUrl::FullyEncoded);
    if (path.isEmpty()) path = QStringLiteral("/");
    if (u.hasQuery()) path += QLatin1Char('?') + u.query(QUrl::FullyEncoded);
    QString host = u.host(QUrl::FullyEncoded);
    if (u.port() > 0) host += QLatin1Char(':') + QString::number(u.port());
    request_ = "GET " + path.toLatin1() + " HTTP/1.0\r\nHost: " + host.toLatin1() + "\r\n\r\n";
    SetAddress(u.host());
    SetPort(u.port(80));
    active_ = true;
    Connect();
}

void HTTPSocket::Event_Connected() {
    if (!active_) return;
    Write(request_);
    Poll();
}

void HTTPSocket::Event_DataAvailable() {
    const QByteArray bytes = ReadAll();
    if (!active_) return;
    response_ += bytes.left(kMaxResponseBytes - response_.size());
    if (complete(false)) finish();
}

void HTTPSocket::Event_Error() {
    if (!active_) return;
    // HTTP/1.0 ends the page by closing the connection.
    if (LastErrorCode() == LostConnection && complete(true))
        finish();
    else
        fail(LastErrorCode());
}

bool HTTPSocket::complete(bool closed) {
    const Parsed p = parse(response_);
    if (!p.headersDone) return closed && response_.size() >= kMaxResponseBytes;
    if (p.contentLength >= 0 && response_.size() - p.bodyStart >= p.contentLength) return true;
    return closed || response_.size() >= kMaxResponseBytes;
}

void HTTPSocket::finish() {
    active_ = false;
    Close();
    const Parsed p = parse(response_);
    QByteArray body = response_.mid(p.bodyStart);
    if (p.contentLength >= 0 && body.size() > p.contentLength) body.truncate(p.contentLength);
    if (PageReceived) PageReceived(url_, p.status, p.headers, QString::fromUtf8(body));
}

void HTTPSocket::fail(std::int32_t code) {
    active_ = false;
    Close();
    if (Error) Error(code);
}

}  // namespace fw
