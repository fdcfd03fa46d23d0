// The communication drawer and its panel: chat lines, score-name entry, status lines, and the
// drawer's attachment to the game window.
#include "framework/guard.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "shell/scores.h"
#include "windows/drawerwindow.h"
#include "windows/game.h"
#include "windows/outil_mac.h"
#include "windows/outilcontain.h"

#include "app_fixture.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

namespace {

const QChar CR(13);

class PanelTest : public AppFixture {
protected:
    void SetUp() override {
        StartApp();
        app->prefs->FixItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        app->prefs->FixItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(3)));
    }
    OutilContain& panel(const char* mode) {
        game().type = QString::fromLatin1(mode);
        return *game().moutil();
    }
    static void type(OutilContain& p, const QString& text) {
        auto* entry = p.findChild<QLineEdit*>(QStringLiteral("EditField2"));
        entry->setText(text);
        QTest::keyClick(entry, Qt::Key_Return);
    }
    static QString caption(OutilContain& p) { return p.findChild<QGroupBox*>(QStringLiteral("GroupBox1"))->title(); }
};

TEST_F(PanelTest, ReturnEchoesAndSendsTheLineWithTheLocalSide) {
    OutilContain& p = panel("serveur");
    std::vector<QString> sent;
    p.NewChatMessage = [&](const QString& line) { sent.push_back(line); };
    type(p, QStringLiteral("salut <b>toi</b>"));
    EXPECT_EQ(p.ChatLog(), QStringLiteral("<serveur>salut <b>toi</b>") + CR);
    EXPECT_EQ(sent, std::vector<QString>{QStringLiteral("<serveur>salut <b>toi</b>")});
    EXPECT_TRUE(p.findChild<QLineEdit*>(QStringLiteral("EditField2"))->text().isEmpty());
    // An empty line is neither shown nor sent.
    type(p, QString());
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(p.ChatLog(), QStringLiteral("<serveur>salut <b>toi</b>") + CR);
}

TEST_F(PanelTest, ReceivedAndOwnNoticesAreAppendedUnchanged) {
    OutilContain& p = panel("client");
    p.AddChatString(QStringLiteral("<client>bonjour"));
    p.AddChatString(QStringLiteral("Quorril"), QStringLiteral("Bravo"));
    EXPECT_EQ(p.ChatLog(), QStringLiteral("<client>bonjour") + CR + QStringLiteral("<Quorril>Bravo") + CR);
}

TEST_F(PanelTest, ScoreModeTakesOneNonEmptyNameAndDropsChat) {
    OutilContain& p = panel("serveur");
    std::vector<std::pair<std::int32_t, QString>> names;
    p.NewScoreName = [&](std::int32_t s, const QString& n) { names.emplace_back(s, n); };
    p.setRecordScoreMode(true, 240);
    EXPECT_EQ(p.ChatLog(), QStringLiteral("<Quorril> Vous avez gagné avec un score de 240. Entrez votre nom pour vous "
                                          "inscrire dans la liste du top 10."));
    EXPECT_EQ(caption(p), QStringLiteral("Score"));
    p.AddChatString(QStringLiteral("<client>perdu"));  // dropped while the name is asked for
    type(p, QString());                                 // no name yet
    type(p, QStringLiteral("Zoé"));
    type(p, QStringLiteral("Encore"));
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], std::make_pair(std::int32_t(240), QStringLiteral("Zoé")));
    EXPECT_TRUE(p.ChatLog().isEmpty());
    EXPECT_EQ(caption(p), QStringLiteral("Score"));

    p.setRecordScoreMode(false, -1);
    EXPECT_EQ(caption(p), QStringLiteral("Chat"));
    EXPECT_EQ(p.Score(), -1);
    EXPECT_FALSE(p.IsRecordScoreMode());
}

TEST_F(PanelTest, StatusLinesAndTheNewGameButtonFollowTheSide) {
    OutilContain& p = panel("client");
    p.SetGameType(QStringLiteral("client"));
    p.Setmain(QStringLiteral("C'est à lui de jouer"));
    EXPECT_EQ(p.findChild<QLabel*>(QStringLiteral("StaticText1"))->text(), QStringLiteral("Vous êtes client"));
    EXPECT_EQ(p.findChild<QLabel*>(QStringLiteral("StaticText2"))->text(), QStringLiteral("C'est à lui de jouer"));
    EXPECT_TRUE(p.findChild<QPushButton*>(QStringLiteral("PushButton1"))->isHidden());
    EXPECT_FALSE(p.findChild<QPushButton*>(QStringLiteral("PushButton2"))->isHidden());
}

TEST_F(PanelTest, NameEntryReachesTheHighScoresAndShowsThem) {
    game().type = QStringLiteral("serveur");
    game().moutil();
    wnd::Outil_Mac& drawer = *game().o_mac;
    drawer.Tools_NewScoreName(500, QStringLiteral("Zoé"));
    EXPECT_EQ(scores().namesArray[0], QStringLiteral("Zoé"));
    EXPECT_TRUE(scores().isVisible());
}

TEST_F(PanelTest, DrawerOpensAndClosesWithItsEventsAndCountsAsItsParentForTheMenus) {
    game().type = QStringLiteral("serveur");
    game().moutil();
    wnd::Outil_Mac& drawer = *game().o_mac;
    EXPECT_TRUE(drawer.IsClosed());
    EXPECT_EQ(drawer.TrailingOffset(), 16);
    EXPECT_EQ(drawer.LeadingOffset(), 0);
    EXPECT_EQ(drawer.PreferredEdge(), 2);

    std::vector<QString> events;
    drawer.DrawerOpening = [&] { events.push_back(QStringLiteral("opening")); };
    drawer.DrawerOpened = [&] { events.push_back(QStringLiteral("opened")); };
    drawer.DrawerClosed = [&] { events.push_back(QStringLiteral("closed")); };
    bool refuse = true;
    drawer.DrawerClosing = [&] {
        events.push_back(QStringLiteral("closing"));
        return refuse;
    };
    // The game window's one-shot timer opens it at the first pass of the event loop.
    QTRY_VERIFY_WITH_TIMEOUT(!drawer.IsClosed(), 5000);
    EXPECT_TRUE(drawer.isVisible());
    EXPECT_EQ(drawer.MenuWindow(), &game());

    drawer.Toggle();  // refused
    EXPECT_FALSE(drawer.IsClosed());
    refuse = false;
    drawer.Toggle();
    EXPECT_TRUE(drawer.IsClosed());
    EXPECT_FALSE(drawer.isVisible());
    EXPECT_EQ(events, (std::vector<QString>{QStringLiteral("opening"), QStringLiteral("opened"), QStringLiteral("closing"),
                                            QStringLiteral("closing"), QStringLiteral("closed")}));
    events.clear();
    drawer.Toggle();
    EXPECT_EQ(events, (std::vector<QString>{QStringLiteral("opening"), QStringLiteral("opened")}));
}

TEST_F(PanelTest, ADrawerNeedsAParent) {
    EXPECT_THROW(wnd::DrawerWindow(nullptr), fw::NilObjectException);
}

}  // namespace
