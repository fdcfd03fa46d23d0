#include "info/about.h"

#include "framework/buttons.h"
#include "framework/canvas.h"
#include "framework/graphics.h"
#include "framework/guard.h"
#include "framework/system.h"
#include "framework/thread.h"
#include "framework/timer.h"
#include "info/infotext.h"
#include "sprites/resources.h"

#include <QLabel>
#include <QPalette>

#include <algorithm>
#include <cmath>

#ifndef QUORRIL_SITE_URL
#define QUORRIL_SITE_URL ""
#endif
#ifndef QUORRIL_FORUM_URL
#define QUORRIL_FORUM_URL ""
#endif
#ifndef QUORRIL_MAIL
#define QUORRIL_MAIL ""
#endif

namespace wnd {

namespace {

about::Links& links() {
    static about::Links l{QStringLiteral(QUORRIL_SITE_URL), QStringLiteral(QUORRIL_FORUM_URL),
                          QStringLiteral(QUORRIL_MAIL)};
    return l;
}

QFont systemFont(int pixels) { return fw::DesignFont(QStringLiteral("System"), pixels); }

QLabel* text(QWidget* parent, const char* name, int left, int top, int width, int height, int pixels,
             const QString& content) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(left, top, width, height);
    l->setFont(systemFont(pixels));
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette black = l->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(black);
    l->setText(info::Shown(content));
    return l;
}

// A plain bevel button, in no control array.
fw::BevelButton* button(QWidget* parent, const char* name, int left, int top, const QString& caption,
                        const QString& address) {
    auto* b = new fw::BevelButton(caption, -1, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, top, 214, 17);
    b->setFont(systemFont(12));
    b->setFocusPolicy(Qt::NoFocus);
    b->setEnabled(!address.isEmpty());
    return b;
}

// The segments of the credits, in order.
const char* const kHeading = "Merci aux bêta-testeurs (et autres énergumènes) :";

const char* const kThanks[] = {
    "- À tous ceux qui ont essayé les premières versions et nous ont dit ce qui clochait.",
    "- À ceux qui ont perdu leur première partie contre le niveau « Difficile » et sont revenus.",
    "- À ceux qui ont gagné contre lui, et nous l'ont fait savoir.",
    "- À ceux qui préfèrent le niveau « Facile » pour apprendre le jeu à leurs enfants.",
    "- Aux enfants qui battent leurs parents dès la troisième partie.",
    "- Aux grands-parents qui jouaient à ce jeu sur une table de cuisine.",
    "- À ceux qui jouent en réseau d'un bout à l'autre de la maison.",
    "- À ceux qui lancent une partie au bureau pendant la pause.",
    "- À ceux qui discutent dans le tiroir plus qu'ils ne jouent.",
    "- À ceux qui ont trouvé le mot caché du jeu, et l'ont gardé pour eux.",
    "- À ceux qui inscrivent leur nom parmi les meilleurs scores, même très long.",
    "- À ceux qui coupent la musique d'ambiance, et à ceux qui la montent.",
    "- À ceux qui lisent l'aide jusqu'au bout.",
    "- À ceux qui ont traduit nos idées en mots simples.",
    "- À ceux qui ont dessiné les pions bleus et jaunes dans leur tête avant nous.",
    "- Aux membres du forum Quorril, pour leurs idées et leur patience.",
    "- À ceux qui annoncent leurs parties sur le réseau local pour que d'autres les trouvent.",
    "- À ceux qui prêtent leur ordinateur pour une revanche.",
    "- À ceux qui comptent les coups avant de poser un pion.",
    "- À ceux qui posent leur pion sans réfléchir, et gagnent quand même.",
    "- À Linux, le système libre sur lequel tourne le jeu.",
    "- À Debian, et à tous ceux qui la font vivre.",
    "- À Qt, qui donne au jeu ses fenêtres et ses menus.",
    "- À Avahi, qui fait se trouver les joueurs d'un même réseau.",
    "- Aux polices DejaVu, qui prêtent leurs lettres à tous les textes du jeu.",
    "- À GStreamer, qui fait entendre la chute des pions.",
    "- Au serveur X.Org, où s'ouvrent les fenêtres du jeu.",
    "- À GNOME, KDE, Xfce et tous les bureaux où Quorril a sa place.",
    "- À GCC, qui fait du jeu un programme.",
    "- À tous ceux qui écrivent du logiciel libre et le partagent.",
    "- À ceux qui signalent un problème avec assez de détails pour qu'on le trouve.",
    "- À ceux qui nous ont écrit pour dire simplement merci.",
    "- À ceux qui font découvrir le jeu à un ami.",
    "- À ceux qui jouent encore à minuit « pour une dernière partie ».",
    "- À ceux qui refusent le match nul.",
    "- À ceux qui ont inventé le jeu de quatre en ligne, il y a bien longtemps.",
    "- À nos familles, qui nous ont laissé le temps d'écrire ce jeu.",
    "- À nos amis, nos premiers adversaires.",
    "- À ceux qui joueront demain.",
    "- Et à vous, qui lisez ces lignes jusqu'ici.",
};
static_assert(std::size(kThanks) == 40, "forty thank-you lines");

const char* const kClosing[] = {
    "Quorril est né de l'envie de retrouver, sur un bureau Linux, le plaisir tout simple d'aligner quatre pions. "
    "Il ne serait rien sans ces logiciels libres, écrits et partagés par des milliers de gens qui ne nous devaient "
    "rien.",
    "Merci de jouer ! Invitez quelqu'un à une partie en réseau, ou mesurez-vous au niveau « Difficile » : les pions "
    "vous attendent.",
};

}  // namespace

int FrameQueue::Count() const {
    std::lock_guard<std::mutex> g(lock_);
    return static_cast<int>(frames_.size());
}

void FrameQueue::Append(fw::PictureRef frame) {
    std::lock_guard<std::mutex> g(lock_);
    frames_.push_back(std::move(frame));
}

fw::PictureRef FrameQueue::TakeFront() {
    std::lock_guard<std::mutex> g(lock_);
    if (frames_.empty()) return nullptr;
    fw::PictureRef f = std::move(frames_.front());
    frames_.pop_front();
    return f;
}

void FrameQueue::Clear() {
    std::lock_guard<std::mutex> g(lock_);
    frames_.clear();
}

about::Links about::Addresses() { return links(); }
void about::SetAddresses(const Links& l) { links() = l; }

QString about::ForumName() { return QStringLiteral("Quorril"); }

QString about::PresentationText() {
    return info::Lines({
        "Quorril c'est :",
        "- La partie programmation par l'équipe Quorril.",
        "- La partie graphique par l'équipe Quorril.",
        "",
        "Il permet de jouer au célèbre jeu Tarvelle 4 ® en réseau ou contre l'ordinateur.",
        "",
    });
}

about::about() {
    setWindowTitle(QStringLiteral("À propos de Quorril"));
    SetWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(431, kClosedHeight);

    const Links l = links();
    BevelButton1 = button(this, "BevelButton1", 116, 227, QStringLiteral("Aller sur mon site"), l.site);
    BevelButton2 = button(this, "BevelButton2", 116, 250, QStringLiteral("Aller sur ") + ForumName(), l.forum);
    StaticText1 = text(this, "StaticText1", 21, 14, 389, 133, 15, PresentationText());
    StaticText2 = text(this, "StaticText2", 20, 150, 398, 19, 12,
                       QStringLiteral("Je passe le bonjour à tous les membres du forum ") + ForumName());
    StaticText3 = text(this, "StaticText3", 21, 174, 396, 32, 12,
                       QStringLiteral("Pour toutes remarques à propos de ce jeu, n'hésitez pas à me contacter par "
                                      "Email."));
    BevelButton3 = button(this, "BevelButton3", 116, 273, QStringLiteral("M'écrire"), l.mail);

    Shower = new fw::Timer(this);
    Shower->setObjectName(QStringLiteral("Shower"));
    Shower->onAction = [this] { Shower_Action(); };
    Shower->SetPeriod(kShowerPeriodMs);
    Shower->SetMode(fw::Timer::ModeMultiple);

    Buffering = new fw::Thread(this);
    Buffering->setObjectName(QStringLiteral("Buffering"));
    Buffering->onRun = [this] { Buffering_Run(); };

    Canvas1 = new fw::Canvas(this);
    Canvas1->setObjectName(QStringLiteral("Canvas1"));
    Canvas1->setGeometry(75, 315, kFrameWidth, kFrameHeight);
    Canvas1->setFocusPolicy(Qt::NoFocus);

    Relauncher = new fw::Timer(this);
    Relauncher->setObjectName(QStringLiteral("Relauncher"));
    Relauncher->onAction = [this] { Relauncher_Action(); };
    Relauncher->SetPeriod(kRelauncherPeriodMs);
    Relauncher->SetMode(fw::Timer::ModeMultiple);

    BevelButton1->Action = [this] { BevelButton1_Action(); };
    BevelButton2->Action = [this] { BevelButton2_Action(); };
    BevelButton3->Action = [this] { BevelButton3_Action(); };
}

about::~about() { StopCredits(); }

void about::BevelButton1_Action() { fw::ShowURL(links().site); }

void about::BevelButton2_Action() { fw::ShowURL(links().forum); }

void about::BevelButton3_Action() {
    if (!links().mail.isEmpty()) fw::ShowURL(QStringLiteral("mailto:") + links().mail);
}

void about::AddMenuHandlers() { AddCloseHandler(); }

void about::MakeText() {
    const QString cr(QChar(13));
    QString t = QString::fromUtf8(kHeading) + cr.repeated(2);
    for (std::size_t n = 0; n < std::size(kThanks); ++n)
        // The last thank-you line stands apart from the closing paragraphs.
        t += QString::fromUtf8(kThanks[n]) + cr.repeated(n + 1 == std::size(kThanks) ? 4 : 2);
    t += QString::fromUtf8(kClosing[0]) + cr.repeated(6);
    t += QString::fromUtf8(kClosing[1]) + cr.repeated(2);
    TheTxt = t;
}

std::int32_t about::GetHeightOfTxt(std::int32_t width) {
    // Measured in a frame's own font, so the scroll wraps exactly when the text has gone.
    fw::Picture scratch(kFrameWidth, kFrameHeight);
    return scratch.Graphics().StringHeight(TheTxt, width);
}

namespace {
fw::WrappedText wrapInAFrame(const QString& text, int width) {
    fw::Picture scratch(about::kFrameWidth, about::kFrameHeight);
    return scratch.Graphics().Wrap(text, width);
}
}  // namespace

void about::Event_Open() {
    stop = false;
    MakeText();
    first = true;
    amount_pict = kAmount;
    i = kStartY;
    hi = GetHeightOfTxt(kWrapWidth);
    wrapped_ = wrapInAFrame(TheTxt, kWrapWidth);

    back_ = BackCredit();
    fw::Deref(back_.get(), "BackCredit");
    // New pictures are white with an opaque mask: black where the fade lets the frame show, white
    // around the rounded shape, so the frames fade at top and bottom and lose their corners.
    mask = std::make_shared<fw::Picture>(kFrameWidth, kFrameHeight);
    MaskInter = std::make_shared<fw::Picture>(kFrameWidth, kFrameHeight);
    MaskFinal = std::make_shared<fw::Picture>(kFrameWidth, kFrameHeight);
    mask->Graphics().SetForeColor(0, 0, 0);
    mask->Graphics().FillRect(0, 0, kFrameWidth, kFrameHeight);
    mask->Mask().Graphics().DrawPicture(FrontCredit(), 0, 0);
    MaskInter->Graphics().DrawPicture(mask, 0, 0);
    MaskInter->Mask().Graphics().DrawPicture(MasqueCredit(), 0, 0);
    MaskFinal->Graphics().DrawPicture(MaskInter, 0, 0);

    ready_ = true;
    Buffering->Run();
}

void about::RenderFrame() {
    auto frame = std::make_shared<fw::Picture>(kFrameWidth, kFrameHeight);
    fw::Graphics& g = frame->Graphics();
    g.DrawPicture(*back_, 0, 0);
    // TheTxt wrapped at kWrapWidth, its first baseline at i.
    g.DrawWrapped(wrapped_, kTextLeft, i.load());
    frame->Mask().Graphics().DrawPicture(*MaskFinal, 0, 0);
    // Composed through its mask here, so the display only hands a finished picture to the canvas.
    frame->Composed();
    tab.Append(std::move(frame));
    std::int32_t next = i.load() - 1;
    if (next <= -hi) next = kStartY;
    i = next;
}

void about::Buffering_Run() {
    while (!stop) {
        // Stops once the queue holds amount_pict + 2 frames.
        if (amount_pict < tab.HighestIndex()) break;
        RenderFrame();
        fw::Thread::Yield();
    }
}

void about::Shower_Action() {
    const double now = fw::Microseconds();
    const bool fast = fw::Keyboard::AsyncAltKey();
    if (fast) {
        amount_pict = kAmountFast;
        NextShowerTick(kShowerPeriodMs);
    } else {
        amount_pict = kAmount;
        if (now - lastFrame < kFrameGateUs) {
            // Nothing to show before the gate opens: sleep until then.
            NextShowerTick(static_cast<int>(std::ceil((kFrameGateUs - (now - lastFrame)) / 1000)));
            return;
        }
    }
    // The first frame waits until the queue holds amount_pict + 1 frames.
    if (first && tab.HighestIndex() < amount_pict) return;
    first = false;
    SetHeight(kOpenHeight);
    if (fw::PictureRef frame = tab.TakeFront()) Canvas1->SetBackdrop(std::move(frame));
    lastFrame = fw::Microseconds();
    if (!fast) NextShowerTick(static_cast<int>(kFrameGateUs / 1000));
}

void about::NextShowerTick(int ms) {
    ms = std::max(1, std::min(ms, static_cast<int>(kFrameGateUs / 1000)));
    if (Shower->Period() != ms) Shower->SetPeriod(ms);
}

void about::Relauncher_Action() {
    if (stop || !ready_) return;
    if (tab.HighestIndex() <= amount_pict && !Buffering->IsRunning()) Buffering->Run();
}

bool about::Event_CancelClose(bool) {
    stop = true;
    return false;
}

void about::Event_Close() { StopCredits(); }

void about::StopCredits() {
    if (Shower) Shower->SetMode(fw::Timer::ModeOff);
    if (Relauncher) Relauncher->SetMode(fw::Timer::ModeOff);
    stop = true;
    if (Buffering) Buffering->Wait();
}

}  // namespace wnd

wnd::about& about() { return fw::Instance<wnd::about>(); }
