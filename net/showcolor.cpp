#include "net/showcolor.h"

#include "framework/canvas.h"
#include "framework/graphics.h"
#include "framework/guard.h"
#include "framework/picture.h"
#include "sprites/resources.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace wnd {

namespace {

QLabel* label(QWidget* parent, const char* name, int x, int y, int w, int h, const QString& text, Qt::Alignment a) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, w, h);
    l->setAlignment(a | Qt::AlignVCenter);
    return l;
}

fw::Canvas* canvas(QWidget* parent, const char* name, int x, int y) {
    auto* c = new fw::Canvas(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(x, y, 70, 70);
    return c;
}

// A 70 x 70 token drawn through the token mask.
std::shared_ptr<fw::Picture> token(const std::shared_ptr<fw::Picture>& face) {
    auto p = std::make_shared<fw::Picture>(70, 70, 32);
    if (face) p->Graphics().DrawPicture(face, 0, 0);
    if (auto m = masque()) p->Mask().Graphics().DrawPicture(m, 0, 0);
    return p;
}

}  // namespace

showcolor::showcolor() {
    setWindowTitle(QStringLiteral("Couleur des pions"));
    SetWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    // A modal dialog frame, but where the platform puts a window by default: beside the game.
    SetPlacement(Placement::Default);
    setFixedSize(343, 192);
    StaticText1 = label(this, "StaticText1", 20, 17, 156, 20, QStringLiteral("Votre opposant a pris les :"), Qt::AlignLeft);
    Canvas1 = canvas(this, "Canvas1", 59, 43);
    StaticText2 = label(this, "StaticText2", 59, 120, 70, 20, QStringLiteral("XXXXX"), Qt::AlignHCenter);
    StaticText3 = label(this, "StaticText3", 200, 17, 123, 20, QStringLiteral("Vous avez donc les :"), Qt::AlignLeft);
    Canvas2 = canvas(this, "Canvas2", 223, 41);
    StaticText4 = label(this, "StaticText4", 223, 120, 70, 20, QStringLiteral("XXXXX"), Qt::AlignHCenter);
    PushButton1 = new QPushButton(QStringLiteral("Ok"), this);
    PushButton1->setObjectName(QStringLiteral("PushButton1"));
    PushButton1->setGeometry(254, 152, 69, 20);
    PushButton1->setDefault(true);
    connect(PushButton1, &QPushButton::clicked, this, [this] { fw::Guard("PushButton1.Action", [this] { PushButton1_Action(); }); });
}

void showcolor::ShowTheColor(std::int32_t own) {
    const bool blue = own == 1;
    Canvas1->SetBackdrop(token(blue ? jaune() : bleu()));
    Canvas2->SetBackdrop(token(blue ? bleu() : jaune()));
    StaticText2->setText(blue ? QStringLiteral("Jaune") : QStringLiteral("Bleu"));
    StaticText4->setText(blue ? QStringLiteral("Bleu") : QStringLiteral("Jaune"));
}

void showcolor::PushButton1_Action() { Close(); }

void showcolor::keyPressEvent(QKeyEvent* e) {
    // "Ok" is the default button: Return presses it.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        PushButton1->click();
        return;
    }
    fw::Window::keyPressEvent(e);
}

class showcolor& showcolor() { return fw::Instance<class showcolor>(); }

}  // namespace wnd
