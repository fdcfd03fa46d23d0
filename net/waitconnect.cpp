#include "net/waitconnect.h"

#include "framework/guard.h"
#include "net/twin.h"

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace wnd {

waitconnect::waitconnect() {
    setWindowTitle(QStringLiteral("Connexion"));
    SetWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(195, 80);
    StaticText1 = new QLabel(QStringLiteral("XXXXXXXXXXXXXXXXXXXXXX"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setTextFormat(Qt::PlainText);
    StaticText1->setGeometry(15, 9, 164, 20);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(15, 32, 164, 12);
    // Maximum 0: a busy bar with no end.
    ProgressBar1->setRange(0, 0);
    ProgressBar1->setTextVisible(false);
    PushButton1 = new QPushButton(QStringLiteral("Annuler"), this);
    PushButton1->setObjectName(QStringLiteral("PushButton1"));
    PushButton1->setGeometry(110, 52, 69, 20);
    PushButton1->setAutoDefault(false);
    connect(PushButton1, &QPushButton::clicked, this, [this] { fw::Guard("PushButton1.Action", [this] { PushButton1_Action(); }); });
}

void waitconnect::SetStatus(const QString& text) { StaticText1->setText(text); }
QString waitconnect::Status() const { return StaticText1->text(); }

void waitconnect::PushButton1_Action() {
    Close();
    ::twin().StopAll();
}

void waitconnect::keyPressEvent(QKeyEvent* e) {
    // "Annuler" is the cancel button: the Escape key presses it.
    if (e->key() == Qt::Key_Escape) {
        PushButton1->click();
        return;
    }
    fw::Window::keyPressEvent(e);
}

class waitconnect& waitconnect() { return fw::Instance<class waitconnect>(); }

}  // namespace wnd
