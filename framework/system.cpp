#include "framework/system.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include <chrono>
#include <utility>

namespace fw {

namespace {

const std::chrono::steady_clock::time_point g_start = std::chrono::steady_clock::now();

std::function<bool()>& altSource() {
    static std::function<bool()> f;
    return f;
}

std::function<void(const QString&)>& urlHandler() {
    static std::function<void(const QString&)> f;
    return f;
}

}  // namespace

double Microseconds() {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - g_start).count();
}

namespace Keyboard {

bool AsyncAltKey() {
    if (altSource()) return altSource()();
    // Asks the platform (the X server under xcb) rather than the state of the last event.
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
}

std::function<bool()> SetAltKeySource(std::function<bool()> source) {
    return std::exchange(altSource(), std::move(source));
}

}  // namespace Keyboard

void ShowURL(const QString& url) {
    if (url.isEmpty()) return;
    if (urlHandler()) {
        urlHandler()(url);
        return;
    }
    QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

std::function<void(const QString&)> SetURLHandler(std::function<void(const QString&)> handler) {
    return std::exchange(urlHandler(), std::move(handler));
}

}  // namespace fw
