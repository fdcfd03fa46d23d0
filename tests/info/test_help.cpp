// The help window: its size, its two groups and their texts, a field that can only be read, one
// window however often it is asked for, and « Fermer » (Ctrl+W) closing it.
#include "framework/menu.h"
#include "info/help.h"
#include "shell/menu.h"
#include "shell/pref.h"

#include "app_fixture.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

namespace {

const QChar CR(13);

class HelpTest : public AppFixture {
protected:
    static int helpWindows() {
        int n = 0;
        for (fw::Window* w : fw::AllWindows()) n += dynamic_cast<wnd::help*>(w) && !w->IsClosed();
        return n;
    }
    static QRect inWindow(QWidget& w, QWidget& c) { return QRect(c.mapTo(&w, QPoint()), c.size()); }
};

TEST_F(HelpTest, HasItsTitleSizeAndTwoGroups) {
    wnd::help& w = help();
    EXPECT_TRUE(w.Visible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Aide"));
    EXPECT_EQ(w.size(), QSize(607, 493));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    const Qt::WindowFlags boxes = w.Host().windowFlags();
    EXPECT_TRUE(boxes & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(boxes & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(boxes & Qt::WindowMaximizeButtonHint);

    struct Group {
        const char* name;
        const char* caption;
        QRect where;
        const char* control;
        QRect controlWhere;  // in the window, as the layout gives it
    };
    const Group groups[] = {
        {"GroupBox1", "Le jeu", QRect(20, 7, 572, 167), "StaticText1", QRect(33, 34, 540, 129)},
        {"GroupBox2", "Créer une partie", QRect(20, 186, 572, 287), "EditField1", QRect(33, 208, 546, 252)},
    };
    for (const Group& g : groups) {
        SCOPED_TRACE(g.name);
        auto* box = w.Control<QGroupBox>(QString::fromLatin1(g.name));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title(), QString::fromUtf8(g.caption));
        EXPECT_EQ(box->geometry(), g.where);
        EXPECT_TRUE(box->font().bold());
        EXPECT_EQ(box->font().pixelSize(), 12);
        auto* control = box->findChild<QWidget*>(QString::fromLatin1(g.control));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(inWindow(w, *control), g.controlWhere);
        EXPECT_FALSE(control->font().bold());
        EXPECT_EQ(control->font().pixelSize(), 12);
    }
}

// Lines of the two texts worth a look of their own: blanks, quotes, missing stops, odd spellings.
struct Line {
    int number;  // from 1
    const char* text;
};

TEST_F(HelpTest, TextsAreKeptWithCarriageReturnsAndShownAsLines) {
    const QString rules = wnd::help::RulesText();
    const QString setup = wnd::help::SetupText();
    EXPECT_EQ(rules.size(), 489);
    EXPECT_EQ(setup.size(), 2454);
    for (const QString* t : {&rules, &setup}) {
        EXPECT_FALSE(t->contains(QChar(10)));
        EXPECT_FALSE(t->endsWith(CR));
    }
    const QStringList rulesLines = rules.split(CR);
    const QStringList setupLines = setup.split(CR);
    ASSERT_EQ(rulesLines.size(), 4);
    ASSERT_EQ(setupLines.size(), 38);

    const Line rulesTable[] = {
        {1, "Le principe de Quorril est simple :"},
        {2, ""},
        {3, "Vous devez aligner quatre de vos pions en diagonale, verticale ou horizontale, tout en empêchant votre "
            "adversaire d'en faire autant. Le premier qui aligne quatre pions a gagné."},
        {4, "Les pions s'empilent en bas. Pour en déposer un, prenez le pion plus clair que les autres et déposez-le "
            "dans la colonne de votre choix. Le pion vient alors automatiquement s'empiler sur le plus haut pion de la "
            "colonne, et votre adversaire peut alors jouer, et ainsi de suite."},
    };
    for (const Line& l : rulesTable) EXPECT_EQ(rulesLines[l.number - 1], QString::fromUtf8(l.text)) << l.number;

    const Line setupTable[] = {
        {1, "PARTIE RÉSEAU :"},
        {3, ""},
        {4, "Serveur : "},
        {5, "-1- Allez dans le menu \"Fichier\" puis \"Nouvelle partie ...\""},
        {10, "-6- Une fenêtre s'ouvre en attendant que le client joigne la partie. Si le client n'utilise pas Bonjour "
             "pour se connecter, donnez-lui votre adresse IP (LAN ou WAN) que vous pouvez trouver dans le menu Aide -> "
             "Adresse IP."},
        {14, "Client :"},
        {20, "Dans le cas de l'IP, demandez a la personne qui fait serveur de vous passer son IP."},
        {23, "-7- Une fenêtre s'ouvre vous indiquant la couleur des pions qu'a choisis le serveur ainsi que la couleur "
             "des votres."},
        {26, "Fenêtre de gestion (drawer) :"},
        {32, "- \"Chat\" permet de communiquer avec votre adversaire. Tapez le texte dans le petit cadre en bas du "
             "grand et appuyez sur la touche entrée de votre clavier envoyer le texte. Les messages envoyés et reçus "
             "s'affichent dans le grand cadre, précédé de l'identifiant de la personne qui l'a envoyé (Serveur, "
             "Client ou IA)"},
        {33, ""},
        {34, "PARTIE CONTRE L'ORDINATEUR :"},
        {36, "-2- Allez sur \"Contre l'ordinateur\""},
        {38, "-4- Cliquez sur \"Ok\""},
    };
    for (const Line& l : setupTable) EXPECT_EQ(setupLines[l.number - 1], QString::fromUtf8(l.text)) << l.number;
    EXPECT_EQ(setupLines.count(QString()), 4);

    // On screen every carriage return is a line break, never a blank.
    wnd::help& w = help();
    EXPECT_EQ(w.StaticText1->text(), rulesLines.join(QChar(10)));
    EXPECT_EQ(w.EditField1->toPlainText(), setupLines.join(QChar(10)));
    EXPECT_EQ(w.EditField1->document()->blockCount(), 38);
}

TEST_F(HelpTest, TheFieldIsReadOnlyAndScrollsOnlyVertically) {
    app->FrameWindow().show();
    wnd::help& w = help();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->FrameWindow(), kEventuallyMs));
    QPlainTextEdit& field = *w.EditField1;
    EXPECT_TRUE(field.isReadOnly());
    EXPECT_TRUE(field.tabChangesFocus());
    const QString before = field.toPlainText();
    field.setFocus();
    QTest::keyClicks(&field, QStringLiteral("abc"));
    QTest::keyClick(&field, Qt::Key_Backspace);
    QTest::keyClick(&field, Qt::Key_Delete);
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.toPlainText(), before);

    // Longer than the field: read by scrolling down, with no horizontal scroll bar.
    EXPECT_EQ(field.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(field.verticalScrollBar()->isVisible());
    EXPECT_GT(field.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(field.horizontalScrollBar()->maximum(), 0);
}

TEST_F(HelpTest, ChosenAgainItComesToTheFrontAndStaysOne) {
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("AideAidedeTarvelle4")));
    wnd::help* first = &help();
    EXPECT_EQ(helpWindows(), 1);
    pref().Show();
    EXPECT_EQ(fw::FrontProgramWindow(), &pref());
    EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("AideAidedeTarvelle4")));
    EXPECT_EQ(helpWindows(), 1);
    EXPECT_EQ(&help(), first);
    EXPECT_EQ(fw::FrontProgramWindow(), first);
}

TEST_F(HelpTest, CtrlWClosesItAndANewOneHasTheSameContent) {
    app->FrameWindow().Maximize();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&app->FrameWindow(), kEventuallyMs));
    shell::TheMenu().Choose(QStringLiteral("AideAidedeTarvelle4"));
    shell::TheMenu().UpdateEnabled();
    EXPECT_TRUE(FichierFermer().Enabled());
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &help();
    QTest::keyClick(target, Qt::Key_W, Qt::ControlModifier);
    ASSERT_EVENTUALLY(!fw::Exists<wnd::help>());
    EXPECT_EQ(helpWindows(), 0);

    // Its close box closes it too; the next one is new, with the same texts.
    wnd::help& again = help();
    EXPECT_EQ(again.EditField1->toPlainText(), wnd::help::SetupText().replace(CR, QChar(10)));
    again.Host().close();
    EXPECT_FALSE(fw::Exists<wnd::help>());
}

}  // namespace
