#pragma once
// A raw TCP peer on loopback for the relay tests: it writes exact bytes and keeps every byte it
// receives, so frames can be checked byte for byte.
#include <QByteArray>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

struct RawPeer {
    std::unique_ptr<QTcpSocket> s = std::make_unique<QTcpSocket>();
    QByteArray got;

    explicit RawPeer(const QString& address = QStringLiteral("127.0.0.1"), quint16 port = 1234) {
        QObject::connect(s.get(), &QIODevice::readyRead, [this] { got += s->readAll(); });
        s->connectToHost(QHostAddress(address), port);
    }
    bool connected(int ms = 5000) {
        return s->state() == QAbstractSocket::ConnectedState || s->waitForConnected(ms);
    }
    void write(const QByteArray& b) {
        s->write(b);
        s->flush();
    }
    // Waits until at least n bytes have arrived in all.
    bool waitBytes(qsizetype n, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (got.size() < n && t.elapsed() < ms) QTest::qWait(5);
        return got.size() >= n;
    }
    // Waits until the host has closed the connection.
    bool waitClosed(int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (s->state() != QAbstractSocket::UnconnectedState && t.elapsed() < ms) QTest::qWait(5);
        return s->state() == QAbstractSocket::UnconnectedState;
    }
    // Takes the first n received bytes.
    QByteArray take(qsizetype n) {
        QByteArray head = got.left(n);
        got.remove(0, n);
        return head;
    }
};
