#include "info/help.h"

#include "framework/graphics.h"
#include "info/infotext.h"

#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>

namespace wnd {

namespace {

QFont systemFont(bool bold = false) { return fw::DesignFont(QStringLiteral("System"), 12, bold); }

QGroupBox* group(QWidget* parent, const char* name, const QString& caption, const QRect& where) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(where);
    g->setFont(systemFont(true));
    return g;
}

// Places a control inside its group by its position in the window.
void placeIn(QWidget* control, QGroupBox* group, int left, int top, int width, int height) {
    control->setGeometry(left - group->x(), top - group->y(), width, height);
}

}  // namespace

QString help::RulesText() {
    return info::Lines({
        "Le principe de Quorril est simple :",
        "",
        "Vous devez aligner quatre de vos pions en diagonale, verticale ou horizontale, tout en empêchant votre "
        "adversaire d'en faire autant. Le premier qui aligne quatre pions a gagné.",
        "Les pions s'empilent en bas. Pour en déposer un, prenez le pion plus clair que les autres et déposez-le dans "
        "la colonne de votre choix. Le pion vient alors automatiquement s'empiler sur le plus haut pion de la colonne, "
        "et votre adversaire peut alors jouer, et ainsi de suite.",
    });
}

QString help::SetupText() {
    return info::Lines({
        "PARTIE RÉSEAU :",
        "Il faut un serveur et un client. Le premier pour héberger la partie, le deuxième pour rejoindre la partie.",
        "",
        "Serveur : ",
        "-1- Allez dans le menu \"Fichier\" puis \"Nouvelle partie ...\"",
        "-2- Allez sur \"Réseau\"",
        "-3- Cliquez sur \"Serveur\"",
        "-4- Choisissez la couleur de vos pions (votre adversaire se verra attribuer la couleur des pions opposés).",
        "-5- Cliquez sur \"Ok\"",
        "-6- Une fenêtre s'ouvre en attendant que le client joigne la partie. Si le client n'utilise pas Bonjour pour "
        "se connecter, donnez-lui votre adresse IP (LAN ou WAN) que vous pouvez trouver dans le menu Aide -> Adresse IP.",
        "-7- Une fois le client connecté, le plateau de jeu s'affiche. C'est à vous de commencer.",
        "Ps : si vous vous connectez à Internet via un routeur, redirigez les communications du port 1234 vers votre "
        "ordinateur, si vous avez un firewall, ouvrez le port 1234.",
        "",
        "Client :",
        "-1- Allez dans le menu \"Fichier\" puis \"Nouvelle partie ...\"",
        "-2- Allez sur \"Réseau\"",
        "-3- Cliquez sur \"Client\"",
        "-4- Choisissez le moyen de connexion : Bonjour ou IP.",
        "Dans le cas de Bonjour, le serveur doit être sur votre réseau local (LAN). Vous avez alors juste à sélectionner "
        "le nom de l'ordinateur où se trouve votre adversaire pour jouer contre lui.",
        "Dans le cas de l'IP, demandez a la personne qui fait serveur de vous passer son IP.",
        "-5- Cliquez sur \"Ok\"",
        "-6- Une fenêtre s'ouvre. La connexion s'établit avec le serveur.",
        "-7- Une fenêtre s'ouvre vous indiquant la couleur des pions qu'a choisis le serveur ainsi que la couleur des "
        "votres.",
        "-8- Le plateau de jeu s'ouvre. Le serveur joue en premier.",
        "",
        "Fenêtre de gestion (drawer) :",
        "- Vous pouvez arrêter la partie en cliquant sur le bouton \"Arrêter la partie\" ou en fermant la fenêtre du "
        "jeu.",
        "- Le serveur peut recommencer la partie à tout moment en cliquant sur le bouton \"Nouvelle partie\".",
        "- \"Main\" indique la personne qui doit jouer.",
        "- \"Gagnant\" indique le gagnant lorsqu'il y en a un.",
        "- \"Remarque\" indique les éventuelles remarques dans la partie.",
        "- \"Chat\" permet de communiquer avec votre adversaire. Tapez le texte dans le petit cadre en bas du grand et "
        "appuyez sur la touche entrée de votre clavier envoyer le texte. Les messages envoyés et reçus s'affichent dans "
        "le grand cadre, précédé de l'identifiant de la personne qui l'a envoyé (Serveur, Client ou IA)",
        "",
        "PARTIE CONTRE L'ORDINATEUR :",
        "-1- Allez dans le menu \"Fichier\" puis \"Nouvelle partie ...\"",
        "-2- Allez sur \"Contre l'ordinateur\"",
        "-3- Choisissez votre couleur de pions",
        "-4- Cliquez sur \"Ok\"",
    });
}

help::help() {
    setWindowTitle(QStringLiteral("Aide"));
    SetWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(607, 493);

    GroupBox1 = group(this, "GroupBox1", QStringLiteral("Le jeu"), QRect(20, 7, 572, 167));
    StaticText1 = new QLabel(GroupBox1);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    placeIn(StaticText1, GroupBox1, 33, 34, 540, 129);
    StaticText1->setFont(systemFont());
    StaticText1->setTextFormat(Qt::PlainText);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette black = StaticText1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    StaticText1->setPalette(black);
    StaticText1->setText(info::Shown(RulesText()));

    GroupBox2 = group(this, "GroupBox2", QStringLiteral("Créer une partie"), QRect(20, 186, 572, 287));
    EditField1 = new QPlainTextEdit(GroupBox2);
    EditField1->setObjectName(QStringLiteral("EditField1"));
    placeIn(EditField1, GroupBox2, 33, 208, 546, 252);
    EditField1->setFont(systemFont());
    QPalette ink = EditField1->palette();
    ink.setColor(QPalette::Text, Qt::black);
    ink.setColor(QPalette::Base, Qt::white);
    EditField1->setPalette(ink);
    EditField1->setFrameShape(QFrame::StyledPanel);
    EditField1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    EditField1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    EditField1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab moves the focus on; the text cannot be changed, only read, selected and scrolled.
    EditField1->setTabChangesFocus(true);
    EditField1->setReadOnly(true);
    EditField1->setPlainText(info::Shown(SetupText()));
}

void help::AddMenuHandlers() { AddCloseHandler(); }

}  // namespace wnd

wnd::help& help() { return fw::Instance<wnd::help>(); }
