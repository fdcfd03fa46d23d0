#pragma once
// The own-address window: the machine's address on its network, and its public address as a
// web page sees it.
#include "shell/closablewin.h"

#include <QString>

#include <cstdint>

class QGroupBox;
class QLabel;

namespace fw {
class HTTPSocket;
}

namespace wnd {

class WinIP : public shell::ClosableWin {
    Q_OBJECT
public:
    WinIP();

    QGroupBox* GroupBox1;
    QLabel* StaticText2;
    QLabel* WanIP;
    QLabel* StaticText1;
    QLabel* LanIP;
    fw::HTTPSocket* wanLoader;

    void LanIP_Open();
    void WanIP_Open();
    void wanLoader_PageReceived(const QString& url, std::int32_t status, const QString& body);
    void AddMenuHandlers() override;
    void Event_Open() override;

    // The host (host or host:port) that serves the public address page; the build setting
    // unless changed. Empty: no request is made.
    static void SetServiceHost(const QString& host);
    static QString ServiceUrl();
};

class WinIP& WinIP();

}  // namespace wnd

using wnd::WinIP;
