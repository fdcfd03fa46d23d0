#include "framework/system.h"
#include "sprites/resources.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

// Every GUI test runs with its own empty preferences folder, so no test reads a real user's file.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // The offscreen screen is as large as a common desktop's, so the frame's area has room for
    // the game window and its drawer side by side.
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        const QString screens = config.filePath(QStringLiteral("screen.json"));
        QFile f(screens);
        if (f.open(QIODevice::WriteOnly))
            f.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1280, "height": 800,)"
                    R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        platform = "offscreen:configfile=" + screens.toUtf8();
    }
    qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    // No test starts a browser or a mail program: an address handed to the desktop is only
    // reported, unless the test catches it itself.
    fw::SetURLHandler([](const QString& url) { std::fprintf(stderr, "not opened in a test: %s\n", qPrintable(url)); });
    const int status = RUN_ALL_TESTS();
    // Cached sounds must go before Qt's audio does, as the program's finalisation has it.
    ReleaseResources();
    return status;
}
