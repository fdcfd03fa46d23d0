#include "windows/colorchoice.h"

#include "framework/buttons.h"
#include "framework/graphics.h"
#include "framework/guard.h"
#include "sprites/jetonlist.h"
#include "sprites/resources.h"
#include "windows/butonsokcancel.h"

#include <QGroupBox>

ColorChoice::ColorButton::ColorButton(int index, QWidget* parent) : PictureButton(parent), index_(index) {
    setObjectName(QStringLiteral("ColorButton"));
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(index == 0 ? QStringLiteral("Jaune") : QStringLiteral("Bleu"));
}

ColorChoice::ColorChoice(QWidget* parent) : fw::ContainerControl(parent) {
    resize(406, 128);
    GroupBox1 = new QGroupBox(QStringLiteral("Choisissez la couleur de vos pions :"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setFont(fw::DesignFont(QStringLiteral("System"), 12));
    GroupBox1->setGeometry(11, 7, 384, 111);
    const int lefts[2] = {96, 236};
    for (int i = 0; i < 2; ++i) {
        auto* b = new ColorButton(i, GroupBox1);
        // Placed in the chooser's coordinates, inside the group.
        b->setGeometry(lefts[i] - 11, 35 - 7, 70, 70);
        b->onInitPicture = [this, b] { return ColorButton_InitPicture(*b); };
        b->onInitSelPicture = [this, b] { return ColorButton_InitSelPicture(*b); };
        b->onAction = [this, b] { ColorButton_Action(*b); };
        buttons_[i] = b;
    }
}

ColorChoice::ColorButton* ColorChoice::Button(int index) const { return index == 0 || index == 1 ? buttons_[index] : nullptr; }

void ColorChoice::SetOkCanc(ButonsOkCancel* group) { okCanc = group; }

// The lit token of the racks: its face and the token mask.
std::shared_ptr<fw::Picture> ColorChoice::ColorButton_InitPicture(ColorButton& button) {
    return GetPictWithGamer(button.Index() == 0 ? -1 : 1, QStringLiteral("clair"));
}

std::shared_ptr<fw::Picture> ColorChoice::ColorButton_InitSelPicture(ColorButton& button) {
    return button.Index() == 0 ? jauneSelect() : bleuSelect();
}

void ColorChoice::ColorButton_Action(ColorButton& button) {
    fw::Deref(Button(0), "ColorButton(0)").SetActive(button.Index() == 0);
    fw::Deref(Button(1), "ColorButton(1)").SetActive(button.Index() == 1);
    if (okCanc) fw::Deref(okCanc->PushButton1, "PushButton1").setEnabled(true);
}

std::int32_t ColorChoice::Colour() const { return fw::Deref(Button(0), "ColorButton(0)").Active() ? -1 : 1; }
