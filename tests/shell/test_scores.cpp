// The high-score table and window: loading, the top-ten test, entering a score, the dotted list,
// and the close requests that store the table and only hide the window until the program quits.
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

// Names of any length: every line shows whole, its score included, in a window as wide as the
// longest line; a line longer than the screen holds scrolls to its end. The window comes back to
// its size once the long names are gone.
TEST_F(Scores, EveryLineShowsWholeWithItsScoreHoweverLongItsName) {
    const QString marie = QStringLiteral("Marie-Hélène de La Rochefoucauld");
    ASSERT_EQ(marie.size(), 32);
    struct Case {
        QString name;
        bool scrolls;
    };
    const Case cases[] = {{marie, false}, {QString(45, QLatin1Char('W')), false}, {QString(400, QLatin1Char('n')), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.size());
        wnd::scores& s = openWith({{c.name, 408}, {QStringLiteral("Zoé"), 12}});
        s.Show();
        QLabel& list = *s.Control<QLabel>("StaticText1");
        auto* area = s.findChild<QScrollArea*>();
        ASSERT_TRUE(area);
        const QFontMetrics fm(list.font());
        const QString first = c.name + QStringLiteral("  408");
        // The line's end, its score, lies inside the label, and the label inside the window or its scroll.
        EXPECT_GE(list.width(), fm.horizontalAdvance(first));
        EXPECT_TRUE(s.rect().contains(QRect(area->mapTo(&s, QPoint()), area->size())));
        if (c.scrolls) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return area->horizontalScrollBar()->isVisibleTo(&s); }, kEventuallyMs));
            area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
            EXPECT_LE(list.mapTo(area->viewport(), QPoint(list.width(), 0)).x(), area->viewport()->width());
        } else {
            EXPECT_FALSE(area->horizontalScrollBar()->isVisibleTo(&s));
            EXPECT_GE(area->viewport()->width(), fm.horizontalAdvance(first));
        }
        // The score's heading stays over the scores' right edge.
        EXPECT_EQ(s.Control<QLabel>("StaticText3")->geometry().right(), s.width() - 21);
        // Its frame holds it whole.
        EXPECT_TRUE(QRect(QPoint(), s.Host().size()).contains(QRect(s.mapTo(&s.Host(), QPoint()), s.size())));
        discard(s);
    }
    wnd::scores& s = openWith({{QStringLiteral("Zoé"), 12}});
    EXPECT_EQ(s.size(), QSize(528, 409));
    discard(s);
}

}  // namespace
