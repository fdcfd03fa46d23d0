// The application object: start-up defaults, the end-of-game signal, and the quit sequence that
// writes the preferences file once, after every window's close request.
#include "framework/sound.h"
#include "framework/socket.h"
#include "framework/window.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "game/ia.h"
#include "net/serveur.h"
#include "net/twin.h"
#include "shell/preferences.h"
#include "sprites/kxmap.h"
#include "sprites/resources.h"
#include "windows/game.h"

#include "app_fixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>
#include <vector>

namespace {

class AppTest : public AppFixture {
protected:
    void SetUp() override {
        QFile::remove(Preferences::FilePath());
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));
        StartApp();
        app->prefs.reset();  // as before the Open event
    }
    void TearDown() override {
        StopApp();
        QFile::remove(Preferences::FilePath());
    }
    // A store as the next run would load it.
    static Preferences reloaded() {
        Preferences p;
        p.LoadPrefs();
        return p;
    }
};

TEST_F(AppTest, FirstStartStoresTheNineDefaultsAndChecksTheAudioItems) {
    app->Event_Open();
    Preferences& p = *app->prefs;
    EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("sndAmbiance")));
    EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("sndBruitage")));
    EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("sndEndgame")));
    EXPECT_EQ(p.GetIntegerItem(QStringLiteral("sndEndgameType")), 1);
    EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("iaMessage")));
    EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("newGameAtStartup")));
    EXPECT_EQ(p.GetIntegerItem(QStringLiteral("newGameStartupColor")), -1);
    EXPECT_FALSE(p.GetBooleanItem(QStringLiteral("clickForJeton")));
    EXPECT_EQ(p.GetIntegerItem(QStringLiteral("difficulty")), 3);
    EXPECT_TRUE(p.GetItem(QStringLiteral("score_0")).IsNil());
    EXPECT_TRUE(AudioBruitage().Checked());
    EXPECT_TRUE(AudioMusiqueambiante().Checked());
    EXPECT_TRUE(AudioSonfindepartie().Checked());
}

TEST_F(AppTest, StoredValuesWinOverTheDefaults) {
    {
        Preferences p;
        p.SetItem(QStringLiteral("sndBruitage"), fw::Variant(false));
        p.SetItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(1)));
        // Another kind than the default's is kept as it is.
        p.SetItem(QStringLiteral("sndAmbiance"), fw::Variant(QStringLiteral("oui")));
        ASSERT_TRUE(p.SavePrefs());
    }
    app->Event_Open();
    EXPECT_FALSE(app->prefs->GetBooleanItem(QStringLiteral("sndBruitage")));
    EXPECT_FALSE(AudioBruitage().Checked());
    EXPECT_EQ(app->prefs->GetIntegerItem(QStringLiteral("difficulty")), 1);
    EXPECT_EQ(app->prefs->GetItem(QStringLiteral("sndAmbiance")).ToString(), QStringLiteral("oui"));
}

struct StartCase {
    const char* what;
    bool atStartup;
    std::int32_t storedColour;
    bool hosts;
    std::int32_t colour;
};

TEST_F(AppTest, TheStartUpGameFollowsThePreferences) {
    const StartCase cases[] = {
        {"default", true, -1, true, -1},
        {"blue", true, 1, true, 1},
        {"damaged colour", true, 5, true, -1},
        {"no game", false, -1, false, 0},
    };
    for (const StartCase& c : cases) {
        StopApp();
        {
            Preferences p;
            p.SetItem(QStringLiteral("newGameAtStartup"), fw::Variant(c.atStartup));
            p.SetItem(QStringLiteral("newGameStartupColor"), fw::Variant(c.storedColour));
            p.SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
            ASSERT_TRUE(p.SavePrefs());
        }
        OpenApp();
        EXPECT_EQ(twin().server, c.hosts) << c.what;
        EXPECT_EQ(twin().mcol, c.colour) << c.what;
        EXPECT_EQ(!twin().connectServ->Sockets().empty(), c.hosts) << c.what;
        EXPECT_FALSE(ia().isVisible()) << c.what;
        // The computer player joins, and only then the game window opens.
        EXPECT_EQ(QTest::qWaitFor([] { return fw::Exists<wnd::game>(); }, c.hosts ? 10000 : 300), c.hosts) << c.what;
        if (c.hosts) {
            EXPECT_EQ(game().KxGrid->CouleurSelf, c.colour) << c.what;
        }
    }
}

struct EndCase {
    bool endgame;
    std::int32_t type;
    std::int32_t result;
    int beeps, wins, losses;
};

TEST_F(AppTest, PlayEndOfGameSignalsOnlyWhenAskedTo) {
    const EndCase cases[] = {
        {true, 0, 0, 1, 0, 0}, {true, 0, 1, 1, 0, 0}, {true, 0, 2, 0, 0, 0}, {true, 0, -1, 0, 0, 0},
        {false, 0, 0, 0, 0, 0}, {false, 1, 1, 0, 0, 0}, {true, 1, 0, 0, 1, 0}, {true, 1, 1, 0, 0, 1},
        {true, 7, 1, 0, 0, 1}, {true, 1, 5, 0, 0, 0},
    };
    app->prefs = std::make_shared<Preferences>();
    for (const EndCase& c : cases) {
        app->prefs->SetItem(QStringLiteral("sndEndgame"), fw::Variant(c.endgame));
        app->prefs->SetItem(QStringLiteral("sndEndgameType"), fw::Variant(c.type));
        const int beeps = fw::BeepCount(), wins = winner()->PlayCount(), losses = loser()->PlayCount();
        app->PlayEndOfGame(c.result);
        EXPECT_EQ(fw::BeepCount() - beeps, c.beeps) << c.endgame << " " << c.type << " " << c.result;
        EXPECT_EQ(winner()->PlayCount() - wins, c.wins) << c.endgame << " " << c.type << " " << c.result;
        EXPECT_EQ(loser()->PlayCount() - losses, c.losses) << c.endgame << " " << c.type << " " << c.result;
    }
}

// A window that stores something when it is asked to close, as the high-score window does.
class Storing : public fw::Window {
public:
    std::vector<QString>* log = nullptr;
    bool Event_CancelClose(bool quitting) override {
        log->push_back(quitting ? QStringLiteral("request while quitting") : QStringLiteral("request"));
        App().prefs->SetItem(QStringLiteral("name_0"), fw::Variant(QStringLiteral("Zoé")));
        return false;
    }
};

TEST_F(AppTest, QuitClosesHiddenWindowsThenSavesOnce) {
    app->prefs = std::make_shared<Preferences>();
    std::vector<QString> log;
    auto* w = new Storing();
    w->log = &log;
    w->SetVisibleAtOpen(false);
    w->RunOpen();
    ASSERT_FALSE(w->isVisible());
    ASSERT_FALSE(QFile::exists(Preferences::FilePath()));

    EXPECT_TRUE(app->Quit());
    EXPECT_TRUE(app->IsTerminating);
    EXPECT_EQ(log, std::vector<QString>{QStringLiteral("request while quitting")});
    EXPECT_EQ(reloaded().GetItem(QStringLiteral("name_0")).ToString(), QStringLiteral("Zoé"));

    // A second quit request while quitting writes nothing again.
    app->prefs->SetItem(QStringLiteral("name_0"), fw::Variant(QStringLiteral("autre")));
    app->Quit();
    EXPECT_EQ(reloaded().GetItem(QStringLiteral("name_0")).ToString(), QStringLiteral("Zoé"));
}

}  // namespace
