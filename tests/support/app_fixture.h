#pragma once
// The application object as main() makes it (menu bar, registration, menu handlers), with an
// empty preferences store, for GUI tests; the tests spin the event loop themselves.
#include "framework/application.h"
#include "framework/window.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <memory>

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override { StartApp(); }
    void TearDown() override { StopApp(); }

    void StartApp() {
        app = std::make_unique<shell::App>();
        app->SetMenuBar(&shell::TheMenu());
        app->Register();
        shell::AddApplicationMenuHandlers(*app);
        app->prefs = std::make_shared<Preferences>();
    }
    // The application without its ambient music, at the hardest level, for window tests.
    void StartQuietApp() {
        StartApp();
        store().SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        store().SetItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(3)));
    }
    // The application as it opens at start-up: its Open event makes and loads the store.
    void OpenApp() {
        StartApp();
        app->prefs.reset();
        app->Event_Open();
    }
    // Windows go as at quit, without their clean-up; pending deletions run before the app goes.
    void StopApp() {
        if (!app) return;
        app->IsTerminating = true;
        fw::DestroyAllWindows();
        QTest::qWait(10);
        app.reset();
    }
    Preferences& store() { return *app->prefs; }
    // The title of the area's active window, for failure messages.
    QString activeTitle() {
        QMdiSubWindow* s = app->FrameWindow().Area().activeSubWindow();
        return s ? s->windowTitle() : QStringLiteral("(none)");
    }

    std::unique_ptr<shell::App> app;
};
