// The high-score table and window: loading, the top-ten test, entering a score, the dotted list,
// and the close requests that store the table and only hide the window until the program quits.
#include "framework/application.h"
#include "framework/menu.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "shell/scores.h"

#include "app_fixture.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace {

using fw::Variant;
using Table = std::vector<std::pair<QString, std::int32_t>>;

class Scores : public AppFixture {
protected:
    void SetUp() override {
        QFile::remove(Preferences::FilePath());
        StartApp();
    }
    void TearDown() override {
        StopApp();
        QFile::remove(Preferences::FilePath());
    }
    // Stores the ranks of t into the store, then opens the window on them.
    wnd::scores& openWith(const Table& t) {
        for (std::size_t i = 0; i < t.size(); ++i) {
            store().SetItem(QStringLiteral("name_%1").arg(i), Variant(t[i].first));
            store().SetItem(QStringLiteral("score_%1").arg(i), Variant(t[i].second));
        }
        return scores();
    }
    // Closes s for good, as at quit, and empties the store, so that the next case opens afresh.
    void discard(wnd::scores& s) {
        app->IsTerminating = true;
        s.Close();
        app->IsTerminating = false;
        app->prefs = std::make_shared<Preferences>();
    }
    static Table table(const wnd::scores& s) {
        Table t;
        for (int i = 0; i < wnd::scores::kRanks; ++i) t.emplace_back(s.namesArray[i], s.scoresArray[i]);
        return t;
    }
    static Table filled(Table head) {
        while (head.size() < 10) head.emplace_back("Nobody", -1);
        return head;
    }
};

QString line(const QString& name, const QString& dots, std::int32_t score) {
    return name + QLatin1Char(' ') + dots + QLatin1Char(' ') + QString::number(score) + QChar(13);
}

TEST_F(Scores, EmptyStoreGivesTenNobodiesAndAHiddenWindow) {
    wnd::scores& s = scores();
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(table(s), filled({}));
    QString expected;
    for (int i = 0; i < 10; ++i) expected += line("Nobody", QString(22, QLatin1Char('.')), -1);
    EXPECT_EQ(s.ListText(), expected);
    EXPECT_EQ(s.Control<QLabel>("StaticText1")->text().count(QLatin1Char('\n')), 9);
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Meilleurs scores"));
    EXPECT_EQ(s.size(), QSize(528, 409));
    EXPECT_EQ(s.minimumSize(), s.maximumSize());
    // Asking again never shows it.
    EXPECT_EQ(&scores(), &s);
    EXPECT_FALSE(s.isVisible());
}

TEST_F(Scores, LoadsRanksAndDefaultsThoseMissingAPartner) {
    store().SetItem("name_0", Variant("Ada"));
    store().SetItem("score_0", Variant(900));
    store().SetItem("name_3", Variant("Seul"));       // no score
    store().SetItem("score_4", Variant(70));          // no name
    store().SetItem("name_5", Variant());             // present, nil
    store().SetItem("score_5", Variant(60));
    store().SetItem("name_6", Variant(12));            // other kinds convert
    store().SetItem("score_6", Variant("55 points"));
    store().SetItem("name_7", Variant("Bas"));
    store().SetItem("score_7", Variant(1000));         // loading does not sort
    Table expected = filled({});
    expected[0] = {"Ada", 900};
    expected[6] = {"12", 55};
    expected[7] = {"Bas", 1000};
    wnd::scores& s = scores();
    EXPECT_EQ(table(s), expected);
    EXPECT_TRUE(s.ListText().startsWith(line("Ada", QString(24, QLatin1Char('.')), 900)));
}

TEST_F(Scores, IsInTopTenNeedsAStrictlyLowerEntry) {
    struct Case {
        Table t;
        std::int32_t score;
        bool in;
    };
    const Table fifties(10, {"A", 50});
    Table mixed = filled({{"A", 100}, {"B", 80}});
    for (auto& e : mixed) if (e.second == -1) e.second = 10;
    const Case cases[] = {
        {filled({}), 0, true},    {filled({}), -1, false},  {filled({}), -2, false},
        {fifties, 50, false},     {fifties, 51, true},      {fifties, std::numeric_limits<std::int32_t>::min(), false},
        {mixed, 10, false},       {mixed, 11, true},        {Table(10, {"A", -5}), -4, true},
    };
    for (const Case& c : cases) {
        wnd::scores& s = openWith(c.t);
        EXPECT_EQ(s.isInTopTen(c.score), c.in) << c.score;
        discard(s);
    }
}

TEST_F(Scores, AddScoreEntersAboveEqualScoresAndKeepsTen) {
    struct Case {
        const char* what;
        Table before;
        QString name;
        std::int32_t score;
        Table after;
    };
    Table ties = {{"A", 100}, {"B", 80}, {"C", 80}, {"D", 50}, {"E", 40}, {"F", 30}, {"G", 20}, {"H", 10}, {"I", 5}, {"J", 1}};
    const Case cases[] = {
        {"above equal ones", ties, "N", 80, {{"A", 100}, {"N", 80}, {"B", 80}, {"C", 80}, {"D", 50}, {"E", 40}, {"F", 30}, {"G", 20}, {"H", 10}, {"I", 5}}},
        {"best", ties, "N", 500, {{"N", 500}, {"A", 100}, {"B", 80}, {"C", 80}, {"D", 50}, {"E", 40}, {"F", 30}, {"G", 20}, {"H", 10}, {"I", 5}}},
        {"last", ties, "N", 2, {{"A", 100}, {"B", 80}, {"C", 80}, {"D", 50}, {"E", 40}, {"F", 30}, {"G", 20}, {"H", 10}, {"I", 5}, {"N", 2}}},
        {"too low", ties, "N", 1, ties},
        {"into an empty table", filled({}), "", 0, filled({{"", 0}})},
        {"sorts an unsorted table first", filled({{"A", 5}, {"B", 5}, {"C", 7}}), "N", 6,
         filled({{"C", 7}, {"N", 6}, {"B", 5}, {"A", 5}})},
        {"ten equal", Table(10, {"A", 50}), "N", 50, Table(10, {"A", 50})},
        {"above ten equal", Table(10, {"A", 50}), "N", 51, [] { Table t(10, {"A", 50}); t[0] = {"N", 51}; return t; }()},
    };
    for (const Case& c : cases) {
        wnd::scores& s = openWith(c.before);
        const QString textBefore = s.ListText();
        s.AddScore(c.name, c.score);
        EXPECT_EQ(table(s), c.after) << c.what;
        if (c.after == c.before) {
            EXPECT_EQ(s.ListText(), textBefore) << c.what;
        }
        EXPECT_FALSE(s.isVisible()) << c.what;
        discard(s);
    }
}

TEST_F(Scores, TooLowAScoreLeavesAnUnsortedTableAsItWas) {
    const Table unsorted = filled({{"A", 5}, {"B", 7}});
    wnd::scores& s = openWith(unsorted);
    s.AddScore("N", -1);
    EXPECT_EQ(table(s), unsorted);
    EXPECT_TRUE(s.ListText().startsWith(line("A", QString(28, QLatin1Char('.')), 5)));
}

TEST_F(Scores, LinesAreThirtyTwoCharactersOrLongerWithoutDots) {
    struct Case {
        QString name;
        std::int32_t score;
        QString expected;
    };
    const Case cases[] = {
        {QString(25, QLatin1Char('n')), 12345, QString(25, QLatin1Char('n')) + "  12345\r"},
        {QString(40, QLatin1Char('n')), 7, QString(40, QLatin1Char('n')) + "  7\r"},
        {"Zoé", 1000, "Zoé " + QString(23, QLatin1Char('.')) + " 1000\r"},
        {"", 3, " " + QString(29, QLatin1Char('.')) + " 3\r"},
        {"Neg", -250, "Neg " + QString(23, QLatin1Char('.')) + " -250\r"},
    };
    for (const Case& c : cases) {
        wnd::scores& s = openWith({{c.name, c.score}});
        EXPECT_EQ(s.ListText().section(QChar(13), 0, 0) + QChar(13), c.expected) << c.name.toStdString();
        discard(s);
    }
}

TEST_F(Scores, EveryCloseRequestStoresTheTwentyKeysAndOnlyHides) {
    enum class Way { Method, CloseBox, Fermer };
    wnd::scores& s = scores();
    s.AddScore("Zoé", 42);
    for (Way way : {Way::Method, Way::CloseBox, Way::Fermer}) {
        app->prefs = std::make_shared<Preferences>();
        EXPECT_TRUE(app->_JeuMeilleursScores_Action());
        ASSERT_TRUE(s.isVisible());
        if (way == Way::Method) s.Close();
        if (way == Way::CloseBox) s.close();
        if (way == Way::Fermer) {
            shell::TheMenu().UpdateEnabled();
            EXPECT_TRUE(FichierFermer().Enabled());
            EXPECT_TRUE(shell::TheMenu().Choose(QStringLiteral("FichierFermer")));
        }
        EXPECT_FALSE(s.isVisible());
        EXPECT_TRUE(fw::Exists<wnd::scores>());
        EXPECT_EQ(&scores(), &s);
        EXPECT_EQ(store().Count(), 20);
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(store().GetItem(QStringLiteral("name_%1").arg(i)), Variant(i == 0 ? QStringLiteral("Zoé") : QStringLiteral("Nobody")));
            EXPECT_EQ(store().GetItem(QStringLiteral("score_%1").arg(i)), Variant(i == 0 ? 42 : -1));
        }
    }
    EXPECT_FALSE(QFile::exists(Preferences::FilePath()));
}

TEST_F(Scores, QuitStoresTheTableThenClosesAndTheFileHoldsIt) {
    wnd::scores& s = scores();
    s.AddScore("Zoé", 1234);
    EXPECT_TRUE(app->Quit());
    EXPECT_FALSE(fw::Exists<wnd::scores>());
    Preferences reloaded;
    ASSERT_TRUE(reloaded.LoadPrefs());
    EXPECT_EQ(reloaded.GetItem("name_0"), Variant(QStringLiteral("Zoé")));
    EXPECT_EQ(reloaded.GetItem("score_0"), Variant(1234));
    EXPECT_EQ(reloaded.GetItem("name_9"), Variant("Nobody"));
    EXPECT_EQ(reloaded.GetItem("score_9"), Variant(-1));
}

TEST_F(Scores, TheDottedListFitsItsLabelInAMonospacedFont) {
    wnd::scores& s = openWith({{QString(25, QLatin1Char('W')), 99999}, {QString(25, QLatin1Char('M')), -9999}});
    QLabel& list = *s.Control<QLabel>("StaticText1");
    EXPECT_EQ(QRect(list.mapTo(&s, QPoint()), list.size()), QRect(20, 52, 488, 337));
    EXPECT_EQ(list.font().pixelSize(), 25);
    const QFontInfo info(list.font());
    EXPECT_EQ(info.family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_TRUE(info.fixedPitch());
    const QFontMetrics fm(list.font());
    const QRect needed = fm.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft | Qt::AlignTop, list.text());
    EXPECT_LE(needed.width(), 488);
    EXPECT_LE(needed.height(), 337);
    for (const char* name : {"StaticText2", "StaticText3"}) {
        QLabel& h = *s.Control<QLabel>(name);
        EXPECT_EQ(h.font().pixelSize(), 25);
        EXPECT_TRUE(h.font().bold());
        EXPECT_GE(h.width(), QFontMetrics(h.font()).horizontalAdvance(h.text())) << name;
        EXPECT_TRUE(s.rect().contains(h.geometry())) << name;
    }
    EXPECT_EQ(s.Control<QLabel>("StaticText2")->text(), QStringLiteral("NOM"));
    EXPECT_EQ(s.Control<QLabel>("StaticText3")->text(), QStringLiteral("SCORE"));
    EXPECT_EQ(s.Control<QLabel>("StaticText3")->geometry().right(), 407 + 101 - 1);
}

// Where each rank's score stands in the list as shown, in the window's coordinates: at the end of
// the rank's last line.
std::vector<QRect> scorePlaces(const wnd::scores& s) {
    const QLabel& list = *s.Control<QLabel>("StaticText1");
    const QFontMetrics fm(list.font());
    const QStringList lines = list.text().split(QLatin1Char('\n'));
    std::vector<QRect> places;
    qsizetype k = 0;
    for (int rank = 0; rank < wnd::scores::kRanks; ++rank) {
        const QString score = QString::number(s.scoresArray[rank]);
        while (k < lines.size() && !lines[k].endsWith(QLatin1Char(' ') + score)) ++k;
        if (k == lines.size()) break;
        const int left = fm.horizontalAdvance(lines[k].chopped(score.size()));
        const QPoint at = list.contentsRect().topLeft() + QPoint(left, int(k) * fm.lineSpacing());
        places.emplace_back(list.mapTo(&s, at), QSize(fm.horizontalAdvance(score), fm.height()));
        ++k;
    }
    return places;
}

// Names of any length, on screens of any width: every rank's score is in view at the right of its
// line, without scrolling sideways, and every name shows whole, over more lines when the widest
// window the frame's area holds is too narrow for it. The window comes back to its size once the
// long names are gone.
TEST_F(Scores, EveryRanksScoreIsInViewAndItsNameWholeHoweverLongItsName) {
    const QString marie = QStringLiteral("Marie-Hélène de La Rochefoucauld");
    ASSERT_EQ(marie.size(), 32);
    const QString seventy = marie + QStringLiteral("-Liancourt d'Estissac et de Villeneuve");
    ASSERT_EQ(seventy.size(), 70);
    struct Case {
        QSize screen;
        QString name;
        bool wraps;
    };
    const Case cases[] = {
        {{1024, 600}, seventy, true},
        {{1366, 768}, seventy, false},
        {{1280, 800}, marie, false},
        {{1280, 800}, QString(45, QLatin1Char('W')), false},
        {{1280, 800}, QString(400, QLatin1Char('n')), true},
        {{1366, 768}, QString(400, QLatin1Char('n')), true},
    };
    fw::Frame& frame = app->FrameWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 characters at %2x%3").arg(c.name.size()).arg(c.screen.width()).arg(c.screen.height()).toStdString());
        // The frame as a maximised one on that screen.
        frame.setWindowState(Qt::WindowNoState);
        frame.setGeometry(QRect(QPoint(), c.screen));
        frame.show();
        ASSERT_EVENTUALLY(frame.size() == c.screen);
        wnd::scores& s = openWith({{c.name, 408}, {QStringLiteral("Zoé"), 12}});
        s.Show();
        QLabel& list = *s.Control<QLabel>("StaticText1");
        auto* area = s.findChild<QScrollArea*>();
        ASSERT_TRUE(area);
        QWidget& viewport = *area->viewport();
        const QRect seen(viewport.mapTo(&s, QPoint()), viewport.size());
        const QFontMetrics fm(list.font());
        const QStringList lines = list.text().split(QLatin1Char('\n'));
        EXPECT_EQ(lines.size() > wnd::scores::kRanks, c.wraps);
        // Nothing to scroll sideways, and every line within the label.
        EXPECT_FALSE(area->horizontalScrollBar()->isVisibleTo(&s));
        EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
        for (const QString& line : lines) EXPECT_LE(fm.horizontalAdvance(line), list.width()) << line.toStdString();
        // The name whole, in its order, across its lines.
        QString shown = list.text();
        shown.remove(QLatin1Char('\n')).remove(QLatin1Char(' '));
        EXPECT_TRUE(shown.startsWith(QString(c.name).remove(QLatin1Char(' '))));
        // Every rank's score inside the part of the list the window shows, the window inside its
        // frame and the frame inside the part of the area on screen.
        const std::vector<QRect> places = scorePlaces(s);
        ASSERT_EQ(places.size(), std::size_t(wnd::scores::kRanks));
        for (const QRect& r : places) {
            EXPECT_TRUE(seen.contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
            EXPECT_TRUE(s.rect().contains(r));
        }
        EXPECT_TRUE(QRect(QPoint(), s.Host().size()).contains(QRect(s.mapTo(&s.Host(), QPoint()), s.size())));
        EXPECT_TRUE(frame.Area().viewport()->rect().contains(s.Host().geometry()));
        // The long name's score is drawn there, at the right of its line.
        const QImage drawn = s.grab().toImage();
        int ink = 0;
        for (int y = places[0].top(); y <= places[0].bottom(); ++y)
            for (int x = places[0].left(); x <= places[0].right(); ++x) ink += qGray(drawn.pixel(x, y)) < 128;
        EXPECT_GT(ink, 20);
        if (c.wraps) {
            EXPECT_GT(places[0].right(), seen.right() - fm.horizontalAdvance(QStringLiteral("...408")));
        }
        // The score's heading stays over the scores' right edge.
        EXPECT_EQ(s.Control<QLabel>("StaticText3")->geometry().right(), s.width() - 21);
        discard(s);
    }
    // An open window follows its frame: made smaller, the long name wraps and its score stays in view.
    {
        frame.setGeometry(QRect(QPoint(), QSize(1366, 768)));
        ASSERT_EVENTUALLY(frame.size() == QSize(1366, 768));
        wnd::scores& s = openWith({{seventy, 408}});
        s.Show();
        QLabel& list = *s.Control<QLabel>("StaticText1");
        EXPECT_EQ(list.text().count(QLatin1Char('\n')), wnd::scores::kRanks - 1);
        frame.setGeometry(QRect(QPoint(), QSize(1024, 600)));
        ASSERT_EVENTUALLY(frame.size() == QSize(1024, 600));
        EXPECT_EVENTUALLY(list.text().count(QLatin1Char('\n')) == wnd::scores::kRanks);
        auto* area = s.findChild<QScrollArea*>();
        const QRect seen(area->viewport()->mapTo(&s, QPoint()), area->viewport()->size());
        EXPECT_TRUE(seen.contains(scorePlaces(s).at(0)));
        EXPECT_TRUE(frame.Area().viewport()->rect().contains(s.Host().geometry()));
        discard(s);
    }
    // Ten such names on a small screen: the lines the window cannot hold scroll up and down, never
    // sideways, and every score comes into view there.
    {
        frame.setGeometry(QRect(QPoint(), QSize(1024, 600)));
        ASSERT_EVENTUALLY(frame.size() == QSize(1024, 600));
        wnd::scores& s = openWith(Table(10, {QString(400, QLatin1Char('n')), 408}));
        s.Show();
        QLabel& list = *s.Control<QLabel>("StaticText1");
        auto* area = s.findChild<QScrollArea*>();
        ASSERT_TRUE(area);
        EXPECT_TRUE(frame.Area().viewport()->rect().contains(s.Host().geometry()));
        EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
        EXPECT_EVENTUALLY(area->verticalScrollBar()->isVisibleTo(&s));
        EXPECT_LE(list.width(), area->viewport()->width());
        const QFontMetrics fm(list.font());
        for (const QString& line : list.text().split(QLatin1Char('\n'))) EXPECT_LE(fm.horizontalAdvance(line), list.width());
        for (int rank = 0; rank < wnd::scores::kRanks; ++rank) {
            const QRect at = scorePlaces(s).at(std::size_t(rank));
            const QPoint inList = list.mapFrom(&s, at.center());
            area->ensureVisible(inList.x(), inList.y(), 0, fm.height());
            const QRect r = scorePlaces(s).at(std::size_t(rank));
            EXPECT_TRUE(QRect(area->viewport()->mapTo(&s, QPoint()), area->viewport()->size()).contains(r)) << rank;
        }
        discard(s);
    }
    // Short names, on either screen: the window and its list as they always were.
    for (const QSize screen : {QSize(1024, 600), QSize(1366, 768)}) {
        frame.setGeometry(QRect(QPoint(), screen));
        ASSERT_EVENTUALLY(frame.size() == screen);
        wnd::scores& s = openWith({{QStringLiteral("Zoé"), 12}});
        s.Show();
        EXPECT_EQ(s.size(), QSize(528, 409));
        QLabel& list = *s.Control<QLabel>("StaticText1");
        EXPECT_EQ(QRect(list.mapTo(&s, QPoint()), list.size()), QRect(20, 52, 488, 337));
        QString lines = s.ListText();
        lines.chop(1);
        EXPECT_EQ(list.text(), lines.replace(QChar(13), QChar(10)));
        discard(s);
    }
}

}  // namespace
