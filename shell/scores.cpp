#include "shell/scores.h"

#include "framework/application.h"
#include "framework/graphics.h"
#include "framework/guard.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>
#include <utility>

namespace wnd {

namespace {

const QString kNobody = QStringLiteral("Nobody");
constexpr std::int32_t kNoScore = -1;

// The window and its list at their design sizes, for lines of 32 characters at most; the room
// the window leaves for its frame's borders when it widens to the area.
constexpr int kWidth = 528, kHeight = 409;
constexpr int kListLeft = 20, kListTop = 52, kListWidth = 488, kListHeight = 337;
constexpr int kScreenMargin = 40, kScreenMarginHigh = 60;

QFont makeFont(const char* family, int pixels, bool bold) { return fw::DesignFont(QString::fromLatin1(family), pixels, bold); }

// A heading sized to its design width, widened (away from its alignment edge) when its text is
// wider in this font, so that it is never cut.
QLabel* heading(QWidget* parent, const char* name, const QString& text, int left, int top, int width, Qt::Alignment align) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setFont(makeFont("System", 25, true));
    l->setText(text);
    l->setAlignment(align | Qt::AlignVCenter);
    const int needed = QFontMetrics(l->font()).horizontalAdvance(text) + 2;
    if (needed > width) {
        if (align & Qt::AlignRight) left -= needed - width;
        width = needed;
    }
    l->setGeometry(left, top, width, 26);
    return l;
}

// Lengths count characters, not UTF-16 units.
qsizetype characters(const QString& s) { return s.toUcs4().size(); }

Preferences& store() { return App().Prefs(); }

// A line break or another control character in a name would start a line of its own in the list,
// away from its score: it shows as a space.
QString printable(QString name) {
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) c = QLatin1Char(' ');
    return name;
}

// The pieces of text, each at most width wide, broken between words where it can.
QStringList wrapped(const QString& text, const QFont& font, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList pieces;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString piece = text.mid(line.textStart(), line.textLength());
        while (piece.endsWith(QLatin1Char(' '))) piece.chop(1);
        pieces << piece;
    }
    layout.endLayout();
    if (pieces.isEmpty()) pieces << QString();
    return pieces;
}

// A rank's line: its name, dots up to 32 characters, its score.
QString dottedLine(const QString& name, const QString& number) {
    const qsizetype dots = 30 - (characters(name) + characters(number));
    return name + QLatin1Char(' ') + QString(dots > 0 ? dots : 0, QLatin1Char('.')) + QLatin1Char(' ') + number;
}

// One rank as shown within width: its dotted line when that fits; otherwise the name goes on
// over as many lines as it needs, and its last line ends with dots and the score at the right.
QString rankLines(const QString& name, const QString& number, const QFont& font, int width) {
    const QFontMetrics fm(font);
    const QString line = dottedLine(name, number);
    if (fm.horizontalAdvance(line) <= width) return line;
    const QString tail = QStringLiteral("  ") + number;
    QStringList pieces = wrapped(name, font, width);
    if (fm.horizontalAdvance(pieces.last() + tail) > width)
        pieces += wrapped(pieces.takeLast(), font, std::max(fm.horizontalAdvance(QLatin1Char('W')), width - fm.horizontalAdvance(tail)));
    const QString end = pieces.takeLast();
    int fill = std::max(0, (width - fm.horizontalAdvance(end + tail)) / std::max(1, fm.horizontalAdvance(QLatin1Char('.'))));
    auto last = [&] { return end + QLatin1Char(' ') + QString(fill, QLatin1Char('.')) + QLatin1Char(' ') + number; };
    while (fill > 0 && fm.horizontalAdvance(last()) > width) --fill;
    pieces << last();
    return pieces.join(QChar(10));
}

QString nameKey(int rank) { return prefkey::kNamePrefix + QString::number(rank); }
QString scoreKey(int rank) { return prefkey::kScorePrefix + QString::number(rank); }

}  // namespace

scores::scores() {
    SetVisibleAtOpen(false);
    setWindowTitle(QStringLiteral("Meilleurs scores"));
    SetWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(kWidth, kHeight);

    heading(this, "StaticText2", QStringLiteral("NOM"), 20, 14, 66, Qt::AlignLeft);
    StaticText3 = heading(this, "StaticText3", QStringLiteral("SCORE"), 407, 14, 101, Qt::AlignRight);

    // Lines too long for the widest window the area holds wrap; a list taller than the area
    // holds scrolls up and down.
    list_ = new QScrollArea(this);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setWidgetResizable(false);
    list_->viewport()->setAutoFillBackground(false);
    // The style would keep a pixel around the list: the list stands where the window lays it.
    list_->setStyleSheet(QStringLiteral("QScrollArea { border: none; background: transparent; }"));
    list_->setGeometry(kListLeft, kListTop, kListWidth, kListHeight);
    StaticText1 = new QLabel(list_);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setTextFormat(Qt::PlainText);
    StaticText1->setFont(makeFont("Monaco", 25, false));
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText1->setStyleSheet(QStringLiteral("color: black;"));
    StaticText1->setAutoFillBackground(false);
    StaticText1->resize(kListWidth, kListHeight);
    list_->setWidget(StaticText1);

    namesArray.fill(kNobody);
    scoresArray.fill(kNoScore);
    // The list is laid out again when the frame's area changes size.
    if (fw::Application* app = fw::Application::Current()) app->FrameWindow().Area().viewport()->installEventFilter(this);
}

bool scores::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::Resize && fw::Application::Current() && o == fw::Application::Current()->FrameWindow().Area().viewport())
        fitLongestLine();
    return fw::Window::eventFilter(o, e);
}

void scores::showEvent(QShowEvent* e) {
    fitLongestLine();
    fw::Window::showEvent(e);
}

void scores::AddMenuHandlers() {
    AddMenuHandler(QStringLiteral("FichierFermer"), [this] { return _FichierFermer_Action(); });
}

void scores::Event_Open() {
    SetVisible(false);
    const Preferences& p = store();
    for (int i = 0; i < kRanks; ++i) {
        const fw::Variant name = p.GetItem(nameKey(i));
        const fw::Variant score = p.GetItem(scoreKey(i));
        if (name.IsNil() || score.IsNil()) {
            namesArray[i] = kNobody;
            scoresArray[i] = kNoScore;
        } else {
            namesArray[i] = name.ToString();
            scoresArray[i] = score.ToInt32();
        }
    }
    ReloadScore();
}

bool scores::Event_CancelClose(bool appQuitting) {
    (void)appQuitting;  // the application's own flag decides
    SetVisible(false);
    StoreTable();
    return !App().IsTerminating;
}

void scores::StoreTable() {
    Preferences& p = store();
    for (int i = 0; i < kRanks; ++i) {
        p.SetItem(nameKey(i), fw::Variant(namesArray[i]));
        p.SetItem(scoreKey(i), fw::Variant(scoresArray[i]));
    }
}

void scores::Event_EnableMenuItems() { FichierFermer().SetEnabled(true); }

bool scores::_FichierFermer_Action() {
    Close();
    return true;
}

bool scores::isInTopTen(std::int32_t score) const {
    for (std::int32_t s : scoresArray)
        if (s < score) return true;
    return false;
}

void scores::SortScores() {
    for (int i = 0; i < kRanks - 1; ++i) {
        for (int j = i + 1; j < kRanks; ++j) {
            if (scoresArray[j] > scoresArray[i]) {
                std::swap(scoresArray[i], scoresArray[j]);
                std::swap(namesArray[i], namesArray[j]);
            }
        }
    }
}

void scores::AddScore(const QString& name, std::int32_t score) {
    if (!isInTopTen(score)) return;
    SortScores();
    // Sorted, the last entry is below score (isInTopTen); the new pair goes above every equal score.
    int p = kRanks - 1;
    while (p > 0 && scoresArray[p - 1] <= score) --p;
    std::move_backward(namesArray.begin() + p, namesArray.end() - 1, namesArray.end());
    std::copy_backward(scoresArray.begin() + p, scoresArray.end() - 1, scoresArray.end());
    namesArray[p] = name;
    scoresArray[p] = score;
    ReloadScore();
}

void scores::ReloadScore() {
    QString text;
    for (int i = 0; i < kRanks; ++i) {
        const QString number = QString::number(scoresArray[i]);
        text += dottedLine(namesArray[i], number) + QChar(13);
        ranks_[i] = {printable(namesArray[i]), number};
    }
    text_ = text;
    fitLongestLine();
}

void scores::fitLongestLine() {
    if (fitting_) return;
    fitting_ = true;
    const QFont font = StaticText1->font();
    const QFontMetrics fm(font);
    auto shownWithin = [&](int width) {
        QStringList lines;
        for (const auto& [name, number] : ranks_) lines << rankLines(name, number, font, width);
        return lines.join(QChar(10));
    };
    auto heightOf = [&](const QString& text) {
        return fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 16), Qt::AlignLeft | Qt::AlignTop, text).height() + 2;
    };
    int longest = 0;
    for (const auto& [name, number] : ranks_) longest = std::max(longest, fm.horizontalAdvance(dottedLine(name, number)) + 2);
    // As wide and as tall as the frame's area (or the screen) holds, with room for the window's
    // borders and title bar.
    QSize room;
    if (fw::Application* app = fw::Application::Current(); app && app->FrameWindow().isVisible())
        room = app->FrameWindow().Area().viewport()->size();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        room = screen->availableGeometry().size();
    const int widest = std::min(kWidth + std::max(kListWidth, longest) - kListWidth, std::max(kWidth, room.width() - kScreenMargin));
    const int listWidth = widest - (kWidth - kListWidth);
    const int listRoom = std::max(kHeight, room.height() - kScreenMarginHigh) - (kHeight - kListHeight);
    int labelWidth = listWidth;
    QString shown = shownWithin(labelWidth - 2);
    if (heightOf(shown) > listRoom) {
        // The list scrolls up and down: its bar takes its width from the lines.
        labelWidth -= list_->verticalScrollBar()->sizeHint().width();
        shown = shownWithin(labelWidth - 2);
    }
    const int labelHeight = std::max(kListHeight, heightOf(shown));
    const int listHeight = std::min(labelHeight, listRoom);
    StaticText1->setText(shown);
    StaticText1->resize(labelWidth, labelHeight);
    list_->setGeometry(kListLeft, kListTop, listWidth, listHeight);
    if (widest != width()) SetWidth(widest);
    if (const int high = kHeight + listHeight - kListHeight; high != height()) SetHeight(high);
    // The score's heading stays over the scores' right edge.
    StaticText3->move(widest - kListLeft - StaticText3->width(), StaticText3->y());
    fitting_ = false;
}

}  // namespace wnd

wnd::scores& scores() { return fw::Instance<wnd::scores>(); }
