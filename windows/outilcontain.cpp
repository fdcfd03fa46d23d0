#include "windows/outilcontain.h"

#include "framework/graphics.h"
#include "framework/guard.h"
#include "net/twin.h"
#include "windows/game.h"
#include "windows/kxmap.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

const QChar kCR(13);

QFont systemFont(int pixels, bool bold = false) { return fw::DesignFont(QStringLiteral("System"), pixels, bold); }

QLabel* label(QWidget* parent, const char* name, int x, int y, int w, int h, const QString& text, bool bold = false) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    // Peers' texts are shown as typed, never interpreted as markup.
    l->setTextFormat(Qt::PlainText);
    l->setFont(systemFont(11, bold));
    l->setGeometry(x, y, w, h);
    l->setText(text);
    return l;
}

}  // namespace

OutilContain::OutilContain(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Tools"));
    resize(329, 348);

    GroupBox1 = new QGroupBox(QStringLiteral("Chat :"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setFont(systemFont(11, true));
    GroupBox1->setGeometry(13, 116, 298, 172);
    StaticText1 = label(this, "StaticText1", 21, 14, 230, 20, QStringLiteral("Vous êtes "));
    StaticText6 = label(this, "StaticText6", 21, 88, 69, 20, QStringLiteral("Remarque :"), true);

    // The fields sit on the panel at the group's place, so their positions are the panel's own.
    EditField1 = new QPlainTextEdit(this);
    EditField1->setObjectName(QStringLiteral("EditField1"));
    EditField1->setGeometry(24, 139, 276, 116);
    EditField1->setReadOnly(true);
    EditField1->setFont(systemFont(12));
    EditField1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    EditField1->setFocusPolicy(Qt::NoFocus);

    EditField2 = new QLineEdit(this);
    EditField2->setObjectName(QStringLiteral("EditField2"));
    EditField2->setGeometry(26, 261, 272, 22);
    EditField2->setFont(systemFont(12));
    connect(EditField2, &QLineEdit::returnPressed, this, [this] { fw::Guard("EditField2.KeyDown", [this] { EditField2_Return(); }); });

    StaticText7 = label(this, "StaticText7", 100, 90, 198, 29, QStringLiteral("Aucune"));
    StaticText7->setWordWrap(true);
    StaticText7->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    PushButton1 = new QPushButton(QStringLiteral("Nouvelle Partie"), this);
    PushButton1->setObjectName(QStringLiteral("PushButton1"));
    PushButton1->setFont(systemFont(11));
    PushButton1->setGeometry(130, 311, 105, 20);
    PushButton1->setAutoDefault(false);
    connect(PushButton1, &QPushButton::clicked, this, [this] { fw::Guard("PushButton1.Action", [this] { PushButton1_Action(); }); });

    PushButton2 = new QPushButton(QStringLiteral("Arrêter la partie"), this);
    PushButton2->setObjectName(QStringLiteral("PushButton2"));
    PushButton2->setFont(systemFont(11));
    PushButton2->setGeometry(13, 311, 105, 20);
    PushButton2->setAutoDefault(false);
    connect(PushButton2, &QPushButton::clicked, this, [this] { fw::Guard("PushButton2.Action", [this] { PushButton2_Action(); }); });

    StaticText4 = label(this, "StaticText4", 21, 38, 41, 20, QStringLiteral("Main :"), true);
    StaticText5 = label(this, "StaticText5", 21, 61, 58, 20, QStringLiteral("Gagnant :"), true);
    StaticText2 = label(this, "StaticText2", 100, 38, 200, 20, QStringLiteral("C'est à . de jouer"));
    StaticText3 = label(this, "StaticText3", 100, 61, 200, 20, QStringLiteral("Personne ne gagne"));

    EditField2_Open();
    PushButton1_Open();
}

void OutilContain::setLog(const QString& text) {
    log_ = text;
    QString shown = text;
    shown.replace(kCR, QChar('\n'));
    EditField1->setPlainText(shown);
    EditField1_TextChange();
}

void OutilContain::AddChatString(const QString& sender, const QString& text) {
    AddChatString(QStringLiteral("<") + sender + QStringLiteral(">") + text);
}

void OutilContain::AddChatString(const QString& line) {
    if (isRecordScoreMode_) return;
    setLog(log_ + line + kCR);
}

void OutilContain::setRecordScoreMode(bool on, std::int32_t score) {
    if (on) {
        setLog(QStringLiteral("<Quorril> Vous avez gagné avec un score de ") + QString::number(score) +
               QStringLiteral(". Entrez votre nom pour vous inscrire dans la liste du top 10."));
        GroupBox1->setTitle(QStringLiteral("Score"));
    } else {
        setLog(QString());
        GroupBox1->setTitle(QStringLiteral("Chat"));
    }
    isRecordScoreMode_ = on;
    score_ = score;
    scoreNameTaken_ = false;
}

void OutilContain::SetRemarque(const QString& text) { StaticText7->setText(text); }
void OutilContain::Setmain(const QString& text) { StaticText2->setText(text); }
void OutilContain::SetGagnant(const QString& text) { StaticText3->setText(text); }
void OutilContain::SetGameType(const QString& mode) { StaticText1->setText(QStringLiteral("Vous êtes ") + mode); }

void OutilContain::EditField1_TextChange() {
    QScrollBar* bar = EditField1->verticalScrollBar();
    // The plain text field scrolls by lines.
    bar->setValue(bar->value() + 10);
}

void OutilContain::EditField2_Open() { EditField2->setFocus(); }

void OutilContain::EditField2_Return() {
    const QString text = EditField2->text();
    if (isRecordScoreMode_) {
        if (text.isEmpty() || scoreNameTaken_) return;
        scoreNameTaken_ = true;
        if (NewScoreName) NewScoreName(score_, text);
        setLog(QString());
    } else {
        if (text.isEmpty()) return;
        const QString name = GetLocalName ? GetLocalName() : QString();
        const QString line = QStringLiteral("<") + name + QStringLiteral(">") + text;
        setLog(log_ + line + kCR);
        if (NewChatMessage) NewChatMessage(line);
    }
    EditField2->clear();
}

void OutilContain::PushButton1_Open() { PushButton1->setVisible(game().type != QLatin1String("client")); }

void OutilContain::PushButton1_Action() {
    fw::Deref(game().Control<KxMap>(QStringLiteral("KxGrid")), "KxGrid").NewGame(game().type);
    twin().RawSend(QStringLiteral("NEWG"));
}

void OutilContain::PushButton2_Action() { game().Close(); }
