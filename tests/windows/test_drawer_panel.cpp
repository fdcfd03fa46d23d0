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
#include "eventually.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

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

TEST_F(PanelTest, ReturnAlwaysEmptiesTheEntry) {
    OutilContain& p = panel("serveur");
    auto* entry = p.findChild<QLineEdit*>(QStringLiteral("EditField2"));
    int names = 0;
    p.NewScoreName = [&](std::int32_t, const QString&) { ++names; };
    p.setRecordScoreMode(true, 240);
    for (const char* text : {"", "Zoé", "Encore", ""}) {
        type(p, QString::fromUtf8(text));
        EXPECT_TRUE(entry->text().isEmpty()) << text;
    }
    EXPECT_EQ(names, 1);
    p.setRecordScoreMode(false, -1);
    for (const char* text : {"", "salut"}) {
        type(p, QString::fromUtf8(text));
        EXPECT_TRUE(entry->text().isEmpty()) << text;
    }
}

TEST_F(PanelTest, ReceivedAndOwnNoticesAreAppendedUnchanged) {
    OutilContain& p = panel("client");
    p.AddChatString(QStringLiteral("<client>bonjour"));
    p.AddChatString(QStringLiteral("Quorril"), QStringLiteral("Bravo"));
    EXPECT_EQ(p.ChatLog(), QStringLiteral("<client>bonjour") + CR + QStringLiteral("<Quorril>Bravo") + CR);
}

TEST_F(PanelTest, TheLogKeepsTheNewestLinesInViewWithinItsBounds) {
    game().Launch(QStringLiteral("serveur"), -1);
    OutilContain& p = *game().moutil();
    ASSERT_EVENTUALLY(p.isVisible());
    auto* view = p.findChild<QPlainTextEdit*>(QStringLiteral("EditField1"));
    QScrollBar* bar = view->verticalScrollBar();
    // The line at the bottom of the view, as a user reads it there.
    auto lastShown = [&] {
        return view->cursorForPosition(QPoint(4, view->viewport()->height() - 4)).block().text();
    };
    // The view takes the log's new lines on a later turn.
    auto viewHas = [&](int blocks, const QString& last) {
        return QTest::qWaitFor(
            [&] { return view->document()->blockCount() == blocks && view->document()->lastBlock().text() == last; }, kEventuallyMs);
    };
    for (int i = 0; i < 1000; ++i) p.AddChatString(QStringLiteral("<client>ligne %1").arg(i));
    QStringList lines = p.ChatLog().split(CR, Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), OutilContain::kMaxLogLines);
    EXPECT_EQ(lines.last(), QStringLiteral("<client>ligne 999"));
    ASSERT_TRUE(viewHas(OutilContain::kMaxLogLines, QStringLiteral("<client>ligne 999")));
    EXPECT_EQ(view->document()->firstBlock().text(), QStringLiteral("<client>ligne 700"));
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(lastShown(), QStringLiteral("<client>ligne 999"));

    // A user who scrolled back keeps reading where they were; back at the bottom, it follows.
    bar->setValue(bar->maximum() / 2);
    const QString reading = view->cursorForPosition(QPoint(4, 4)).block().text();
    p.AddChatString(QStringLiteral("<client>nouvelle"));
    ASSERT_TRUE(viewHas(OutilContain::kMaxLogLines, QStringLiteral("<client>nouvelle")));
    EXPECT_EQ(view->document()->firstBlock().text(), QStringLiteral("<client>ligne 701"));
    EXPECT_EQ(view->cursorForPosition(QPoint(4, 4)).block().text(), reading);
    bar->setValue(bar->maximum());
    p.AddChatString(QStringLiteral("<client>dernière"));
    ASSERT_TRUE(viewHas(OutilContain::kMaxLogLines, QStringLiteral("<client>dernière")));
    EXPECT_EQ(lastShown(), QStringLiteral("<client>dernière"));

    // A huge line is cut to a readable length, and long lines bound the log by characters.
    const QString huge = QStringLiteral("<client>") + QString(999991, QLatin1Char('x'));
    for (int i = 0; i < 100; ++i) p.AddChatString(huge);
    lines = p.ChatLog().split(CR, Qt::SkipEmptyParts);
    EXPECT_EQ(lines.last().size(), OutilContain::kMaxLineChars + 1);
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));
    EXPECT_LE(p.ChatLog().size(), OutilContain::kMaxLogChars + lines.size());
    ASSERT_TRUE(viewHas(int(lines.size()), lines.last()));
    EXPECT_EQ(bar->value(), bar->maximum());

    // A peer's line breaks stay inside its line; a cut never splits a character.
    p.AddChatString(QStringLiteral("<client>un\rdeux\u2029trois"));
    EXPECT_TRUE(viewHas(int(lines.size()) + 1, QStringLiteral("<client>un\u2028deux\u2028trois")));
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QString cut = OutilContain::CutLine(QStringLiteral("a") + emoji.repeated(OutilContain::kMaxLineChars));
    EXPECT_TRUE(cut.at(cut.size() - 2).isLowSurrogate());
    EXPECT_EQ(cut.size(), OutilContain::kMaxLineChars);
}

TEST_F(PanelTest, ABurstLargerThanTheLogGivesTheViewOnlyTheLinesItKeeps) {
    game().Launch(QStringLiteral("serveur"), -1);
    OutilContain& p = *game().moutil();
    ASSERT_EVENTUALLY(p.isVisible());
    auto* view = p.findChild<QPlainTextEdit*>(QStringLiteral("EditField1"));
    QTextDocument* doc = view->document();
    // Every character the view is given is one it lays out.
    qint64 given = 0;
    QObject::connect(doc, &QTextDocument::contentsChange, [&](int, int, int added) { given += added; });
    const QString text = QString(200, QLatin1Char('x'));
    qint64 burst = 0;
    for (int i = 0; i < 20000; ++i) {
        const QString line = QStringLiteral("<client>%1 ").arg(i, 5, 10, QLatin1Char('0')) + text;
        burst += line.size() + 1;
        p.AddChatString(line);
    }
    const QStringList lines = p.ChatLog().split(CR, Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), OutilContain::kMaxLogLines);
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->lastBlock().text() == lines.last(); }, kEventuallyMs));
    EXPECT_EQ(doc->blockCount(), OutilContain::kMaxLogLines);
    EXPECT_EQ(doc->firstBlock().text(), QStringLiteral("<client>19700 ") + text);
    // The kept lines once, not the burst.
    qint64 kept = 0;
    for (const QString& l : lines) kept += l.size() + 1;
    EXPECT_LE(given, kept) << "of " << burst << " characters in the burst";
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
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
    ASSERT_EVENTUALLY(!drawer.IsClosed());
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

// Paint events of the widgets it watches.
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(PanelTest, TheEntrysBlinkingCaretRepaintsTheEntryAlone) {
    game().Launch(QStringLiteral("serveur"), -1);
    wnd::Outil_Mac& drawer = *game().o_mac;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !drawer.IsClosed() && drawer.isVisible(); }, kEventuallyMs));
    ASSERT_TRUE(QTest::qWaitForWindowActive(drawer.window(), kEventuallyMs));
    auto* entry = drawer.findChild<QLineEdit*>(QStringLiteral("EditField2"));
    auto* group = drawer.findChild<QGroupBox*>(QStringLiteral("GroupBox1"));
    QTest::mouseClick(entry, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return entry->hasFocus(); }, kEventuallyMs));
    PaintCount own, behind;
    entry->installEventFilter(&own);
    // From the first blink after the click's own repaints on.
    ASSERT_TRUE(QTest::qWaitFor([&] { return own.paints >= 1; }, kEventuallyMs));
    own.paints = 0;
    for (QWidget* w : {static_cast<QWidget*>(&drawer), static_cast<QWidget*>(drawer.Tools()), static_cast<QWidget*>(group)})
        w->installEventFilter(&behind);
    ASSERT_TRUE(QTest::qWaitFor([&] { return own.paints >= 4; }, kEventuallyMs));
    EXPECT_EQ(behind.paints, 0);
    // What the entry paints under its own rounded corners is what the group shows there.
    const QImage seen = drawer.Tools()->grab(QRect(entry->geometry().topLeft(), QSize(1, 1))).toImage();
    const QImage beneath = group->grab(QRect(entry->geometry().topLeft() - group->pos(), QSize(1, 1))).toImage();
    EXPECT_EQ(seen.pixelColor(0, 0), beneath.pixelColor(0, 0));
}

TEST_F(PanelTest, ADrawerNeedsAParent) {
    EXPECT_THROW(wnd::DrawerWindow(nullptr), fw::NilObjectException);
}

}  // namespace
