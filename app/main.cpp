// Quorril: start-up, the event loop, and finalisation.
#include "framework/guard.h"
#include "framework/pluginhost.h"
#include "shell/app.h"
#include "shell/menu.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

// Qt's X11 platform ends the process with exit(1), from inside the event loop, when the
// connection to the display breaks (the X server went, as at the end of a desktop session). exit()
// would then tear the program's objects down under the running loop and its threads: a hang or a
// crash, and the run's preferences never written. The program exports its own exit() to every
// library it loads: called while the loop runs, it runs the part of the quit that needs no
// display and ends the process at once; anywhere else it is the C library's. That part writes the
// store, which only the loop's thread touches: another thread's call hands it to the loop's thread
// and waits for it (a bounded wait, so that a loop's thread that waits for the caller cannot hold
// the end up), then ends the process.
extern "C" [[noreturn]] void exit(int status) {
    if (fw::Application::EndWithoutDisplay()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    using Exit = void (*)(int);
    static const auto next = reinterpret_cast<Exit>(::dlsym(RTLD_NEXT, "exit"));
    if (next) next(status);
    std::_Exit(status);
}

namespace {

// The program's icon, on the frame and on every window's title bar: a yellow token, cut out by
// the token mask (black shows the picture, white lets the desktop through).
QIcon tokenIcon() {
    QImage token(QStringLiteral(":/pict/169.png"));
    const QImage mask(QStringLiteral(":/pict/168.png"));
    if (token.isNull() || mask.size() != token.size()) return {};
    token = token.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < token.height(); ++y)
        for (int x = 0; x < token.width(); ++x) {
            QColor c = token.pixelColor(x, y);
            c.setAlpha(255 - qGray(mask.pixel(x, y)));
            token.setPixelColor(x, y, c);
        }
    return QIcon(QPixmap::fromImage(token));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorril"));
    // The program quits only through its own quit sequence, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(tokenIcon());
    // The plug-in's control class is registered and bound before the application object exists;
    // without the plug-in the program runs with DNS-SD unavailable.
    fw::LoadPlugins();
    int status = 0;
    auto* app = new shell::App();
    try {
        shell::Prepare(*app);
        status = app->Run();
    } catch (const std::exception& e) {
        fw::ReportUnhandled("main", e.what());
    } catch (...) {
        fw::ReportUnhandled("main", "unknown exception");
    }
    app->Finalise();
    shell::ReleaseMenu();
    delete app;
    return status;
}
