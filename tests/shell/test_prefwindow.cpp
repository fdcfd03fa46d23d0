// The preferences window: what it shows for what the store holds, and the six keys it writes back
// at every close.
#include "framework/menu.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/pref.h"
#include "shell/preferences.h"

#include "app_fixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>

#include <memory>
#include <optional>

namespace {

using fw::Variant;

class PrefWindow : public AppFixture {
protected:
    void SetUp() override {
        QFile::remove(Preferences::FilePath());
        StartApp();
    }
    void defaults() {
        store().FixItem(QStringLiteral("sndEndgameType"), Variant(1));
        store().FixItem(QStringLiteral("iaMessage"), Variant(true));
        store().FixItem(QStringLiteral("newGameAtStartup"), Variant(true));
        store().FixItem(QStringLiteral("newGameStartupColor"), Variant(-1));
        store().FixItem(QStringLiteral("clickForJeton"), Variant(false));
        store().FixItem(QStringLiteral("difficulty"), Variant(3));
    }
    template <class T>
    static T& control(wnd::pref& w, const char* name) {
        T* c = w.Control<T>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return *c;
    }
};

TEST_F(PrefWindow, ShowsTheDefaults) {
    defaults();
    wnd::pref& w = pref();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(control<QRadioButton>(w, "RadioButton1").isChecked());
    EXPECT_TRUE(control<QRadioButton>(w, "RadioButton2").isChecked());
    EXPECT_FALSE(control<QCheckBox>(w, "CheckBox3").isChecked());
    EXPECT_TRUE(control<QCheckBox>(w, "CheckBox1").isChecked());
    EXPECT_EQ(control<QComboBox>(w, "PopupMenu2").currentText(), QStringLiteral("Difficile"));
    EXPECT_TRUE(control<QCheckBox>(w, "CheckBox2").isChecked());
    EXPECT_EQ(control<QComboBox>(w, "PopupMenu1").currentText(), QStringLiteral("Jaunes"));
    EXPECT_TRUE(control<QComboBox>(w, "PopupMenu1").isEnabled());
    EXPECT_TRUE(control<QLabel>(w, "StaticText4").isEnabled());
}

TEST_F(PrefWindow, HasItsTitleSizeAndTexts) {
    wnd::pref& w = pref();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Préférences"));
    EXPECT_EQ(w.size(), QSize(334, 362));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    struct Text {
        const char* name;
        const char* text;
    };
    const Text labels[] = {
        {"StaticText1", "Comportement du jeu"}, {"StaticText5", "Son de fin de partie"},
        {"StaticText6", "Placement d'un pion"}, {"StaticText2", "Intelligence artificielle"},
        {"StaticText7", "Difficulté :"},        {"StaticText3", "Comportement à l'ouverture"},
        {"StaticText4", "Avec les pions"},
    };
    for (const Text& t : labels) EXPECT_EQ(control<QLabel>(w, t.name).text(), QString::fromUtf8(t.text)) << t.name;
    const Text buttons[] = {
        {"RadioButton1", "Bip système"},
        {"RadioButton2", "Alerte audio"},
        {"CheckBox3", "Un click dépose directement un pion"},
        {"CheckBox1", "Activer/désactiver les messages chat"},
        {"CheckBox2", "Lancer un jeu contre l'ordinateur"},
    };
    for (const Text& t : buttons)
        EXPECT_EQ(control<QAbstractButton>(w, t.name).text(), QString::fromUtf8(t.text)) << t.name;
    QComboBox& level = control<QComboBox>(w, "PopupMenu2");
    ASSERT_EQ(level.count(), 3);
    EXPECT_EQ(level.itemText(0), QStringLiteral("Facile"));
    EXPECT_EQ(level.itemText(1), QStringLiteral("Moyen"));
    EXPECT_EQ(level.itemText(2), QStringLiteral("Difficile"));
    QComboBox& colour = control<QComboBox>(w, "PopupMenu1");
    ASSERT_EQ(colour.count(), 2);
    EXPECT_EQ(colour.itemText(0), QStringLiteral("Jaunes"));
    EXPECT_EQ(colour.itemText(1), QStringLiteral("Bleus"));
    EXPECT_TRUE(control<QLabel>(w, "StaticText1").font().bold());
    EXPECT_TRUE(control<QLabel>(w, "StaticText5").font().italic());
    // Every control lies inside the window, and its text is not cut.
    for (QWidget* c : w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(w.rect().contains(c->geometry())) << c->objectName().toStdString();
        EXPECT_LE(c->sizeHint().width(), c->width()) << c->objectName().toStdString();
    }
}

// One stored value, what the window shows for it, and what closing the window stores.
struct Case {
    const char* key;
    Variant stored;  // nil: the key is absent
    const char* control;
    QString shown;
    Variant written;
};

QString shownBy(wnd::pref& w, const char* control) {
    if (auto* b = w.Control<QAbstractButton>(QString::fromLatin1(control))) return b->isChecked() ? "on" : "off";
    return w.Control<QComboBox>(QString::fromLatin1(control))->currentText();
}

TEST_F(PrefWindow, ShowsEachValueAndStoresItsChoiceAtClose) {
    const Case cases[] = {
        {"difficulty", Variant(1), "PopupMenu2", "Facile", Variant(1)},
        {"difficulty", Variant(2), "PopupMenu2", "Moyen", Variant(2)},
        {"difficulty", Variant(3), "PopupMenu2", "Difficile", Variant(3)},
        {"difficulty", Variant(0), "PopupMenu2", "Difficile", Variant(3)},
        {"difficulty", Variant(7), "PopupMenu2", "Difficile", Variant(3)},
        {"difficulty", Variant(-5), "PopupMenu2", "Difficile", Variant(3)},
        {"difficulty", Variant(), "PopupMenu2", "Difficile", Variant(3)},
        {"difficulty", Variant("2"), "PopupMenu2", "Moyen", Variant(2)},
        {"newGameStartupColor", Variant(-1), "PopupMenu1", "Jaunes", Variant(-1)},
        {"newGameStartupColor", Variant(1), "PopupMenu1", "Bleus", Variant(1)},
        {"newGameStartupColor", Variant(5), "PopupMenu1", "Jaunes", Variant(-1)},
        {"newGameStartupColor", Variant(0), "PopupMenu1", "Jaunes", Variant(-1)},
        {"sndEndgameType", Variant(0), "RadioButton1", "on", Variant(0)},
        {"sndEndgameType", Variant(1), "RadioButton1", "off", Variant(1)},
        {"sndEndgameType", Variant(2), "RadioButton1", "off", Variant(1)},
        {"sndEndgameType", Variant(), "RadioButton1", "on", Variant(0)},
        {"iaMessage", Variant(true), "CheckBox1", "on", Variant(true)},
        {"iaMessage", Variant(false), "CheckBox1", "off", Variant(false)},
        {"iaMessage", Variant(), "CheckBox1", "off", Variant(false)},
        {"clickForJeton", Variant(true), "CheckBox3", "on", Variant(true)},
        {"clickForJeton", Variant(false), "CheckBox3", "off", Variant(false)},
        {"newGameAtStartup", Variant(true), "CheckBox2", "on", Variant(true)},
        {"newGameAtStartup", Variant(false), "CheckBox2", "off", Variant(false)},
    };
    for (const Case& c : cases) {
        app->prefs = std::make_shared<Preferences>();
        if (!c.stored.IsNil()) store().SetItem(QString::fromLatin1(c.key), c.stored);
        wnd::pref& w = pref();
        EXPECT_EQ(shownBy(w, c.control), c.shown) << c.key << " " << c.stored.ToString().toStdString();
        w.Close();
        EXPECT_EQ(store().GetItem(QString::fromLatin1(c.key)), c.written) << c.key << " " << c.stored.ToString().toStdString();
    }
}

TEST_F(PrefWindow, EveryCloseWritesTheSixKeysInOrderAndNoFile) {
    pref().Close();
    EXPECT_EQ(store().Keys(), (QStringList{"sndEndgameType", "iaMessage", "newGameAtStartup", "clickForJeton",
                                           "newGameStartupColor", "difficulty"}));
    EXPECT_EQ(store().GetItem("sndEndgameType"), Variant(0));
    EXPECT_EQ(store().GetItem("iaMessage"), Variant(false));
    EXPECT_EQ(store().GetItem("newGameAtStartup"), Variant(false));
    EXPECT_EQ(store().GetItem("clickForJeton"), Variant(false));
    EXPECT_EQ(store().GetItem("newGameStartupColor"), Variant(-1));
    EXPECT_EQ(store().GetItem("difficulty"), Variant(3));
    EXPECT_FALSE(QFile::exists(Preferences::FilePath()));

    // Closed: the next use makes a fresh window that reads the store again.
    store().SetItem("difficulty", Variant(1));
    wnd::pref& again = pref();
    EXPECT_EQ(shownBy(again, "PopupMenu2"), "Facile");
}

TEST_F(PrefWindow, EditsReachTheStoreOnlyAtCloseWhicheverWayItCloses) {
    enum class Way { Method, CloseBox, Fermer };
    for (Way way : {Way::Method, Way::CloseBox, Way::Fermer}) {
        app->prefs = std::make_shared<Preferences>();
        defaults();
        wnd::pref& w = pref();
        w.Control<QRadioButton>("RadioButton1")->click();
        w.Control<QCheckBox>("CheckBox1")->click();
        w.Control<QCheckBox>("CheckBox3")->click();
        w.Control<QComboBox>("PopupMenu2")->setCurrentIndex(0);
        w.Control<QComboBox>("PopupMenu1")->setCurrentIndex(1);
        w.Control<QCheckBox>("CheckBox2")->click();
        EXPECT_EQ(store().GetItem("difficulty"), Variant(3));
        EXPECT_EQ(store().GetItem("iaMessage"), Variant(true));

        if (way == Way::Method) w.Close();
        if (way == Way::CloseBox) w.close();
        if (way == Way::Fermer) {
            EXPECT_FALSE(shell::TheMenu().Choose(QStringLiteral("FichierFermer")));
        }
        EXPECT_FALSE(fw::Exists<wnd::pref>());
        EXPECT_EQ(store().GetItem("sndEndgameType"), Variant(0));
        EXPECT_EQ(store().GetItem("iaMessage"), Variant(false));
        EXPECT_EQ(store().GetItem("clickForJeton"), Variant(true));
        EXPECT_EQ(store().GetItem("difficulty"), Variant(1));
        // Written even while its popup is disabled.
        EXPECT_EQ(store().GetItem("newGameStartupColor"), Variant(1));
        EXPECT_EQ(store().GetItem("newGameAtStartup"), Variant(false));
    }
}

TEST_F(PrefWindow, StartUpBoxEnablesTheColourAndKeepsItsChoice) {
    defaults();
    store().SetItem("newGameStartupColor", Variant(1));
    wnd::pref& w = pref();
    QCheckBox& box = *w.Control<QCheckBox>("CheckBox2");
    QComboBox& colour = *w.Control<QComboBox>("PopupMenu1");
    QLabel& caption = *w.Control<QLabel>("StaticText4");
    for (bool on : {false, true, false}) {
        box.click();
        EXPECT_EQ(box.isChecked(), on);
        EXPECT_EQ(colour.isEnabled(), on);
        EXPECT_EQ(caption.isEnabled(), on);
        EXPECT_EQ(colour.currentText(), QStringLiteral("Bleus"));
    }
}

TEST_F(PrefWindow, StartUpOffOnOpeningLeavesTheColourDisabled) {
    defaults();
    store().SetItem("newGameAtStartup", Variant(false));
    wnd::pref& w = pref();
    EXPECT_FALSE(w.Control<QComboBox>("PopupMenu1")->isEnabled());
    EXPECT_FALSE(w.Control<QLabel>("StaticText4")->isEnabled());
}

TEST_F(PrefWindow, ASecondRequestGivesTheOpenWindow) {
    wnd::pref& first = pref();
    EXPECT_FALSE(app->_EditionPreferences_Action());
    EXPECT_EQ(&pref(), &first);
    int count = 0;
    for (fw::Window* w : fw::AllWindows()) count += dynamic_cast<wnd::pref*>(w) != nullptr;
    EXPECT_EQ(count, 1);
}

TEST_F(PrefWindow, FermerIsEnabledWhileItIsInFront) {
    pref();
    shell::TheMenu().UpdateEnabled();
    EXPECT_TRUE(FichierFermer().Enabled());
}

}  // namespace
