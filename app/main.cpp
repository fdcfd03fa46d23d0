// Quorril: start-up, the event loop, and finalisation.
#include "framework/guard.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "sprites/resources.h"

#include <QApplication>

#include <exception>

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorril"));
    // The program quits only through its own quit sequence, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    int status = 0;
    auto* app = new shell::App();
    try {
        // Cached pictures and sounds go first at finalisation, before the windows.
        app->AtFinalise(ReleaseResources);
        app->SetMenuBar(&shell::TheMenu());
        app->Register();
        shell::AddApplicationMenuHandlers(*app);
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
