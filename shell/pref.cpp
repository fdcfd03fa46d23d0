#include "shell/pref.h"

#include "framework/graphics.h"
#include "framework/guard.h"
#include "shell/app.h"
#include "shell/preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

namespace wnd {

namespace {

QFont systemFont(int pixels, bool bold = false, bool italic = false) {
    return fw::DesignFont(QStringLiteral("System"), pixels, bold, italic);
}

template <class T>
T* place(QWidget* parent, const char* name, int left, int top, int width, int height, const QFont& font) {
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
    w->setFont(font);
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, int width, const QFont& font) {
    auto* l = place<QLabel>(parent, name, left, top, width, 18, font);
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    return l;
}

Preferences& store() { return App().Prefs(); }

}  // namespace

pref::pref() {
    setWindowTitle(QStringLiteral("Préférences"));
    SetWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(334, 362);

    const QFont heading = systemFont(12, true);
    const QFont sub = systemFont(12, false, true);
    const QFont plain = systemFont(12);

    label(this, "StaticText1", QStringLiteral("Comportement du jeu"), 12, 10, 310, heading);
    label(this, "StaticText5", QStringLiteral("Son de fin de partie"), 24, 34, 298, sub);
    RadioButton1 = place<QRadioButton>(this, "RadioButton1", 36, 54, 286, 20, plain);
    RadioButton1->setText(QStringLiteral("Bip système"));
    RadioButton1->setChecked(true);
    RadioButton2 = place<QRadioButton>(this, "RadioButton2", 36, 76, 286, 20, plain);
    RadioButton2->setText(QStringLiteral("Alerte audio"));
    label(this, "StaticText6", QStringLiteral("Placement d'un pion"), 24, 102, 298, sub);
    CheckBox3 = place<QCheckBox>(this, "CheckBox3", 36, 122, 286, 20, plain);
    CheckBox3->setText(QStringLiteral("Un click dépose directement un pion"));

    label(this, "StaticText2", QStringLiteral("Intelligence artificielle"), 12, 154, 310, heading);
    CheckBox1 = place<QCheckBox>(this, "CheckBox1", 36, 178, 286, 20, plain);
    CheckBox1->setText(QStringLiteral("Activer/désactiver les messages chat"));
    label(this, "StaticText7", QStringLiteral("Difficulté :"), 36, 207, 90, plain);
    PopupMenu2 = place<QComboBox>(this, "PopupMenu2", 130, 204, 140, 24, plain);
    PopupMenu2->addItems({QStringLiteral("Facile"), QStringLiteral("Moyen"), QStringLiteral("Difficile")});
    PopupMenu2->setCurrentIndex(0);

    label(this, "StaticText3", QStringLiteral("Comportement à l'ouverture"), 12, 246, 310, heading);
    CheckBox2 = place<QCheckBox>(this, "CheckBox2", 36, 270, 286, 20, plain);
    CheckBox2->setText(QStringLiteral("Lancer un jeu contre l'ordinateur"));
    StaticText4 = label(this, "StaticText4", QStringLiteral("Avec les pions"), 36, 299, 90, plain);
    PopupMenu1 = place<QComboBox>(this, "PopupMenu1", 130, 296, 140, 24, plain);
    PopupMenu1->addItems({QStringLiteral("Jaunes"), QStringLiteral("Bleus")});
    PopupMenu1->setCurrentIndex(0);
    StaticText4->setEnabled(false);
    PopupMenu1->setEnabled(false);

    connect(CheckBox2, &QCheckBox::toggled, this, [this] { fw::Guard("pref.CheckBox2.Action", [this] { CheckBox2_Action(); }); });
}

void pref::AddMenuHandlers() { AddCloseHandler(); }

void pref::CheckBox2_Open() { CheckBox2->setChecked(store().GetBooleanItem(prefkey::kNewGameAtStartup)); }

void pref::PopupMenu1_Open() {
    const std::int32_t c = store().GetIntegerItem(prefkey::kNewGameStartupColor);
    if (c == -1) PopupMenu1->setCurrentIndex(0);
    else if (c == 1) PopupMenu1->setCurrentIndex(1);
}

void pref::CheckBox2_Action() {
    const bool on = CheckBox2->isChecked();
    StaticText4->setEnabled(on);
    PopupMenu1->setEnabled(on);
}

void pref::Event_Open() {
    // The controls open before their window, as the framework orders it.
    CheckBox2_Open();
    PopupMenu1_Open();
    Preferences& p = store();
    const bool beep = p.GetItem(prefkey::kSndEndgameType).ToInt32() == 0;
    RadioButton1->setChecked(beep);
    RadioButton2->setChecked(!beep);
    CheckBox1->setChecked(p.GetBooleanItem(prefkey::kIaMessage));
    CheckBox3->setChecked(p.GetBooleanItem(prefkey::kClickForJeton));
    const std::int32_t d = p.GetItem(prefkey::kDifficulty).ToInt32();
    PopupMenu2->setCurrentIndex(d >= 1 && d <= 3 ? d - 1 : 2);
}

void pref::Event_Close() {
    Preferences& p = store();
    p.SetItem(prefkey::kSndEndgameType, fw::Variant(std::int32_t(RadioButton1->isChecked() ? 0 : 1)));
    p.SetItem(prefkey::kIaMessage, fw::Variant(CheckBox1->isChecked()));
    p.SetItem(prefkey::kNewGameAtStartup, fw::Variant(CheckBox2->isChecked()));
    p.SetItem(prefkey::kClickForJeton, fw::Variant(CheckBox3->isChecked()));
    p.SetItem(prefkey::kNewGameStartupColor, fw::Variant(std::int32_t(PopupMenu1->currentIndex() == 0 ? -1 : 1)));
    p.SetItem(prefkey::kDifficulty, fw::Variant(std::int32_t(PopupMenu2->currentIndex() + 1)));
}

}  // namespace wnd

wnd::pref& pref() { return fw::Instance<wnd::pref>(); }
