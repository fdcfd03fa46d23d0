#include "windows/outilcontain.h"

#include "framework/backdrop.h"
#include "framework/graphics.h"
#include "framework/guard.h"
#include "net/twin.h"
#include "sprites/kxmap.h"
#include "windows/game.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

namespace {

const QChar kCR(13);

// A line's own carriage returns break it on screen as they did in the kept text, but inside its
// one paragraph, so that the view holds one paragraph per line.
QString shownText(QString text) {
    text.replace(kCR, QChar::LineSeparator);
    text.replace(QChar('\n'), QChar::LineSeparator);
    // A paragraph separator from a peer would otherwise start a paragraph of its own.
    text.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    return text;
}

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
    EditField1->setMaximumBlockCount(kMaxLogLines);
    // The group's caption is not theirs (they are not its children): screen readers need names.
    EditField1->setAccessibleName(QStringLiteral("Journal du chat"));

    EditField2 = new QLineEdit(this);
    EditField2->setObjectName(QStringLiteral("EditField2"));
    EditField2->setGeometry(26, 261, 272, 22);
    EditField2->setFont(systemFont(12));
    EditField2->setAccessibleName(QStringLiteral("Saisie du chat"));
    connect(EditField2, &QLineEdit::returnPressed, this, [this] { fw::Guard("EditField2.KeyDown", [this] { EditField2_Return(); }); });
    // Its blinking caret repaints the entry alone, not the chat group behind it.
    fw::PaintOver(*EditField2, *GroupBox1);

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

QString OutilContain::CutLine(const QString& line) {
    if (line.size() <= kMaxLineChars) return line;
    qsizetype n = kMaxLineChars;
    if (line[n - 1].isHighSurrogate()) --n;
    return line.left(n) + QChar(0x2026);
}

QString OutilContain::ChatLog() const {
    if (!prompt_.isEmpty()) return prompt_;
    QString log;
    log.reserve(chars_ + qsizetype(lines_.size()));
    for (const QString& l : lines_) log += l + kCR;
    return log;
}

void OutilContain::setLog(const QString& text) {
    lines_.clear();
    chars_ = 0;
    unshown_ = 0;
    dropped_ = 0;
    prompt_ = text;
    EditField1->setPlainText(shownText(text));
}

void OutilContain::appendLine(const QString& line) {
    const QString kept = CutLine(line);
    if (!prompt_.isEmpty()) setLog(QString());
    lines_.push_back(kept);
    chars_ += kept.size();
    ++unshown_;
    // Oldest lines go first; one the view never got is never laid out.
    while (lines_.size() > 1 && (int(lines_.size()) > kMaxLogLines || chars_ > kMaxLogChars)) {
        if (int(lines_.size()) > unshown_)
            ++dropped_;
        else
            --unshown_;
        chars_ -= lines_.front().size();
        lines_.pop_front();
    }
    if (refreshAsked_) return;
    refreshAsked_ = true;
    // A line shows on the next turn; in a burst, once kRefreshMs has passed since the last time.
    const qint64 since = sinceRefresh_.isValid() ? sinceRefresh_.elapsed() : kRefreshMs;
    QTimer::singleShot(int(std::max<qint64>(0, kRefreshMs - since)), this,
                       [this] { fw::Guard("EditField1.Refresh", [this] { refreshView(); }); });
}

void OutilContain::refreshView() {
    refreshAsked_ = false;
    sinceRefresh_.start();
    if (unshown_ == 0 && dropped_ == 0) return;
    QScrollBar* bar = EditField1->verticalScrollBar();
    QTextDocument* doc = EditField1->document();
    const auto join = [](auto from, auto to) {
        QString text;
        for (auto l = from; l != to; ++l) {
            if (l != from) text += QChar('\n');
            text += shownText(*l);
        }
        return text;
    };
    const bool follow = bar->value() >= bar->maximum();
    if (unshown_ >= int(lines_.size()) || dropped_ >= doc->blockCount()) {
        // Nothing the view shows is kept any more: the whole log at once, of which the view lays
        // out only what it shows. A reader whose lines have all gone is left at the oldest ones.
        EditField1->setPlainText(join(lines_.begin(), lines_.end()));
    } else {
        // The new lines come and the oldest leave, in one change each; the lines being read (or
        // selected) stay. (The view's own line bound may have taken some of the oldest already.)
        if (unshown_ > 0) EditField1->appendPlainText(join(lines_.end() - unshown_, lines_.end()));
        const int extra = doc->blockCount() - int(lines_.size());
        if (extra > 0) {
            QTextCursor first(doc);
            first.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, extra);
            first.removeSelectedText();
        }
    }
    if (follow) bar->setValue(bar->maximum());
    unshown_ = 0;
    dropped_ = 0;
}

void OutilContain::AddChatString(const QString& sender, const QString& text) {
    AddChatString(QStringLiteral("<") + sender + QStringLiteral(">") + text);
}

void OutilContain::AddChatString(const QString& line) {
    if (isRecordScoreMode_) return;
    appendLine(line);
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

void OutilContain::EditField2_Open() { EditField2->setFocus(); }

void OutilContain::EditField2_Return() {
    const QString text = EditField2->text();
    // Every Return empties the entry, also one that sends or records nothing.
    if (text.isEmpty() || (isRecordScoreMode_ && scoreNameTaken_)) {
        EditField2->clear();
        return;
    }
    if (isRecordScoreMode_) {
        scoreNameTaken_ = true;
        if (NewScoreName) NewScoreName(score_, text);
        setLog(QString());
    } else {
        const QString name = GetLocalName ? GetLocalName() : QString();
        const QString line = QStringLiteral("<") + name + QStringLiteral(">") + text;
        appendLine(line);
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
