#include "net/winip.h"

#include "framework/http.h"

#include <QGroupBox>
#include <QLabel>

#ifndef QUORRIL_MYIP_HOST
#define QUORRIL_MYIP_HOST ""
#endif

namespace wnd {

namespace {

QString& serviceHost() {
    static QString h = QStringLiteral(QUORRIL_MYIP_HOST);
    return h;
}

QLabel* label(QWidget* parent, const char* name, int x, int y, int w, int h, const QString& text, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    // The page's body is shown as it came, never as markup.
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(x, y, w, h);
    QFont f = l->font();
    if (bold) {
        f.setPixelSize(12);
        f.setBold(true);
    }
    l->setFont(f);
    return l;
}

}  // namespace

void WinIP::SetServiceHost(const QString& host) { serviceHost() = host; }
QString WinIP::ServiceUrl() {
    return serviceHost().isEmpty() ? QString() : QStringLiteral("http://") + serviceHost() + QStringLiteral("/divers/myip.php");
}

WinIP::WinIP() {
    setWindowTitle(QStringLiteral("Adresse IP"));
    SetWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(225, 121);
    GroupBox1 = new QGroupBox(QStringLiteral("Adresse IP :"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(20, 14, 192, 93);
    // Positions are the window's own; the texts sit over the group box.
    StaticText2 = label(this, "StaticText2", 36, 47, 39, 20, QStringLiteral("WAN :"), true);
    WanIP = label(this, "WanIP", 82, 46, 123, 20, QStringLiteral("En attente..."), false);
    StaticText1 = label(this, "StaticText1", 36, 74, 39, 20, QStringLiteral("LAN :"), true);
    LanIP = label(this, "LanIP", 82, 73, 123, 20, QString(), false);
    wanLoader = new fw::HTTPSocket(this);
    wanLoader->setObjectName(QStringLiteral("wanLoader"));
    wanLoader->PageReceived = [this](const QString& url, std::int32_t status, const fw::HeaderList&, const QString& body) {
        wanLoader_PageReceived(url, status, body);
    };
}

void WinIP::Event_Open() {
    LanIP_Open();
    WanIP_Open();
}

void WinIP::LanIP_Open() { LanIP->setText(wanLoader->LocalAddress()); }

void WinIP::WanIP_Open() {
    const QString url = ServiceUrl();
    if (!url.isEmpty()) wanLoader->Get(url);
}

void WinIP::wanLoader_PageReceived(const QString&, std::int32_t, const QString& body) { WanIP->setText(body); }

void WinIP::AddMenuHandlers() { AddCloseHandler(); }

class WinIP& WinIP() { return fw::Instance<class WinIP>(); }

}  // namespace wnd
