// The menu bar's shape, its enabling pass and its dispatch to the front window or the
// application object.
#include "framework/guard.h"
#include "framework/menu.h"
#include "shell/app.h"
#include "shell/closablewin.h"
#include "shell/menu.h"
#include "shell/preferences.h"

#include "app_fixture.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <memory>
#include <stdexcept>

namespace {

struct Row {
    const char* menu;
    const char* name;
    const char* caption;
    const char* shortcut;  // portable text, "" for none
};

const Row kItems[] = {
    {"Jeu", "JeuNewGame", "Nouvelle partie ...", "Ctrl+N"},
    {"Jeu", "JeuMeilleursScores", "Meilleurs scores", "Ctrl+T"},
    {"Jeu", "UntitledSeparator", "-", ""},
    {"Jeu", "FichierFermer", "Fermer", "Ctrl+W"},
    {"Jeu", "FileQuit", "Quitter", "Ctrl+Q"},
    {"Édition", "EditUndo", "Annuler", "Ctrl+Z"},
    {"Édition", "UntitledMenu3", "-", ""},
    {"Édition", "EditCut", "Couper", "Ctrl+X"},
    {"Édition", "EditCopy", "Copier", "Ctrl+C"},
    {"Édition", "EditPaste", "Coller", "Ctrl+V"},
    {"Édition", "EditClear", "Effacer", ""},
    {"Édition", "EditionPreferences", "Préférences...", "Ctrl+;"},
    {"Audio", "AudioBruitage", "Bruitage", ""},
    {"Audio", "AudioMusiqueambiante", "Musique ambiante", ""},
    {"Audio", "AudioSonfindepartie", "Son fin de partie", ""},
    {"Aide", "AideAidedeTarvelle4", "Aide de Quorril", "Ctrl+?"},
    {"Aide", "AideAdresseIP", "Adresse IP", "Ctrl+I"},
    {"Aide", "AppleAproposdeTarvelle4", "À propos de Quorril", ""},
};

// A closable window that records what reaches it.
class Doc : public shell::ClosableWin {
public:
    int closes = 0;
    bool audio = false;  // serves the Audio items, as the game window does
    void AddMenuHandlers() override {
        AddCloseHandler();
        if (audio) AddMenuHandler(QStringLiteral("AudioBruitage"), [] { return false; });
    }
    void Event_Close() override { ++closes; }

protected:
    void EnableMenuItems() override {
        if (audio) AudioBruitage().SetEnabled(true);
    }
};

class MenuTest : public AppFixture {
protected:
    bool enabled(const char* name) {
        shell::TheMenu().UpdateEnabled();
        return fw::Deref(shell::TheMenu().Lookup(QString::fromUtf8(name))).Enabled();
    }
    Doc* open(bool audio = false) {
        auto* d = new Doc();
        d->audio = audio;
        d->RunOpen();
        return d;
    }
};

TEST_F(MenuTest, BarHasFourMenusAndEighteenItemsInOrder) {
    QMenuBar* bar = app->FrameWindow().menuBar();
    QList<QMenu*> menus = bar->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(menus.size(), 4);
    int row = 0;
    for (QMenu* m : menus) {
        for (QAction* a : m->actions()) {
            ASSERT_LT(row, 18);
            const Row& r = kItems[row];
            EXPECT_EQ(m->title(), QString::fromUtf8(r.menu)) << r.name;
            fw::MenuItem& item = fw::Deref(shell::TheMenu().Lookup(QString::fromUtf8(r.name)));
            EXPECT_EQ(item.Action(), a) << r.name;
            if (QString::fromUtf8(r.caption) == QLatin1String("-")) {
                EXPECT_TRUE(a->isSeparator()) << r.name;
            } else {
                EXPECT_EQ(a->text(), QString::fromUtf8(r.caption)) << r.name;
            }
            EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromUtf8(r.shortcut))) << r.name;
            ++row;
        }
    }
    EXPECT_EQ(row, 18);
}

TEST_F(MenuTest, WithNoWindowOnlyTheApplicationsItemsAreEnabled) {
    for (const char* on : {"JeuNewGame", "JeuMeilleursScores", "EditionPreferences", "AideAidedeTarvelle4",
                           "AideAdresseIP", "AppleAproposdeTarvelle4", "FileQuit"})
        EXPECT_TRUE(enabled(on)) << on;
    for (const char* off : {"AudioBruitage", "AudioMusiqueambiante", "AudioSonfindepartie", "EditUndo", "EditCut",
                            "EditCopy", "EditPaste", "EditClear", "FichierFermer", "UntitledSeparator"})
        EXPECT_FALSE(enabled(off)) << off;
}

TEST_F(MenuTest, NewGameIsDisabledWhileAGameIsOpen) {
    app->isOpenedGame = true;
    EXPECT_FALSE(enabled("JeuNewGame"));
    app->isOpenedGame = false;
    EXPECT_TRUE(enabled("JeuNewGame"));
}

TEST_F(MenuTest, FrontWindowEnablesItsItemsAndCloseClosesOnlyIt) {
    Doc* back = open(true);
    Doc* front = open();
    EXPECT_TRUE(enabled("FichierFermer"));
    EXPECT_FALSE(enabled("AudioBruitage"));  // served by the window behind, not by the front one
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("FichierFermer")));
    EXPECT_EQ(front->closes, 1);
    EXPECT_EQ(back->closes, 0);
    EXPECT_TRUE(enabled("AudioBruitage"));  // the back window is in front now
    EXPECT_TRUE(enabled("FichierFermer"));
}

TEST_F(MenuTest, OnlyTheHighScoreCommandReportsItselfHandled) {
    EXPECT_TRUE(shell::TheMenu().Choose(QStringLiteral("JeuMeilleursScores")));
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("EditionPreferences")));
    // A disabled item runs nothing.
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("AudioBruitage")));
}

TEST_F(MenuTest, ShortcutRunsTheEnablingPassFirst) {
    open();
    Doc* front = open();
    fw::MenuItem& close = FichierFermer();
    close.SetEnabled(false);  // stale state from before the window opened
    app->FrameWindow().show();  // the bar's shortcuts live while the frame is on screen
    ASSERT_TRUE(QTest::qWaitForWindowActive(front, kEventuallyMs));
    QTest::keyClick(front, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(front->closes, 1);
}

TEST_F(MenuTest, AHandlerThatThrowsDoesNotEndTheProgram) {
    Doc* d = open();
    d->AddMenuHandler(QStringLiteral("FichierFermer"), []() -> bool { throw std::runtime_error("boom"); });
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("FichierFermer")));
    EXPECT_EQ(d->closes, 0);
}

}  // namespace
