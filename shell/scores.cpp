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
constexpr int kScreenMargin = 40;

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

    // Lines too long for the widest window the screen holds scroll sideways.
    list_ = new QScrollArea(this);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
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
        const qsizetype dots = 30 - (characters(namesArray[i]) + characters(number));
        text += namesArray[i] + QLatin1Char(' ') + QString(dots > 0 ? dots : 0, QLatin1Char('.')) + QLatin1Char(' ') +
                number + QChar(13);
    }
    text_ = text;
    // Carriage returns are the lines' ends; the label breaks lines on line feeds.
    QString shown = text;
    shown.replace(QChar(13), QChar(10));
    if (shown.endsWith(QChar(10))) shown.chop(1);
    StaticText1->setText(shown);
    fitLongestLine();
}

void scores::fitLongestLine() {
    const QFontMetrics fm(StaticText1->font());
    const int needed = fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 16), Qt::AlignLeft | Qt::AlignTop, StaticText1->text()).width() + 2;
    const int lineWidth = std::max(kListWidth, needed);
    // As wide as the frame's area (or the screen) holds, with room for the window's borders.
    int room = 0;
    if (fw::Application* app = fw::Application::Current(); app && app->FrameWindow().isVisible())
        room = app->FrameWindow().Area().viewport()->width();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        room = screen->availableGeometry().width();
    const int widest = std::min(kWidth + lineWidth - kListWidth, std::max(kWidth, room - kScreenMargin));
    StaticText1->resize(lineWidth, kListHeight);
    if (widest == width()) return;
    SetWidth(widest);
    list_->setGeometry(kListLeft, kListTop, widest - (kWidth - kListWidth), kListHeight);
    // The score's heading stays over the scores' right edge.
    StaticText3->move(widest - kListLeft - StaticText3->width(), StaticText3->y());
}

}  // namespace wnd

wnd::scores& scores() { return fw::Instance<wnd::scores>(); }
