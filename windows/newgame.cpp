#include "windows/newgame.h"

#include "framework/bonjour.h"
#include "framework/buttons.h"
#include "framework/graphics.h"
#include "framework/guard.h"
#include "framework/listbox.h"
#include "framework/pagepanel.h"
#include "net/twin.h"
#include "windows/butonsokcancel.h"
#include "windows/colorchoice.h"

#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>

#include <algorithm>

namespace wnd {

namespace {

const QString kWaitingRow = QStringLiteral("En attente d'informations...");
// A service never has this many addresses; the walk stops there whatever the count says.
constexpr std::int32_t kMaxAddresses = 256;

QFont systemFont(int pixels) { return fw::DesignFont(QStringLiteral("System"), pixels); }

// Creates a control of the window on parent (the window, a page or a group), placed in window
// coordinates as the window is designed.
template <class T, class... A>
T* make(QWidget* window, QWidget* parent, const char* name, const QRect& r, A&&... args) {
    T* w = new T(std::forward<A>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    fw::PlaceAt(w, window, r);
    return w;
}

QFrame* separator(QWidget* window, const char* name, const QRect& r) {
    auto* f = make<QFrame>(window, window, name, r);
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

}  // namespace

newgame::newgame() {
    setWindowTitle(QStringLiteral("Nouveau jeu"));
    SetWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(424, 336);
    QWidget* const w = this;

    const char* styles[2] = {"Contre l'ordinateur", "Réseau"};
    const int styleLefts[2] = {77, 218};
    for (int k = 0; k < 2; ++k) {
        GameStyle[k] = make<fw::BevelButton>(w, w, "GameStyle", QRect(styleLefts[k], 14, 128, 22), QString::fromUtf8(styles[k]), k);
        GameStyle[k]->setFont(systemFont(12));
        GameStyle[k]->SetValue(k == 0);
    }
    Separator1 = separator(w, "Separator1", QRect(15, 23, 50, 4));
    Separator6 = separator(w, "Separator6", QRect(356, 23, 50, 4));

    Object1 = new fw::Bonjour(this);
    Object1->setObjectName(QStringLiteral("Object1"));

    PagePanel1 = make<fw::PagePanel>(w, w, "PagePanel1", QRect(-14, 43, 452, 293), 2);
    QWidget* computer = PagePanel1->Page(0);
    QWidget* network = PagePanel1->Page(1);

    CCOrd = make<ColorChoice>(w, computer, "CCOrd", QRect(6, 55, 406, 126));
    CCOrd->hide();
    ButonsOkCancel1 = make<ButonsOkCancel>(w, computer, "ButonsOkCancel1", QRect(238, 180, 174, 44));
    ButonsOkCancel1->hide();

    GroupBox1 = make<QGroupBox>(w, network, "GroupBox1", QRect(15, 48, 393, 33));
    NetMode[0] = make<fw::RadioButton>(w, GroupBox1, "NetMode", QRect(28, 55, 67, 20), QStringLiteral("Client"), 0);
    NetMode[1] = make<fw::RadioButton>(w, GroupBox1, "NetMode", QRect(100, 55, 75, 20), QStringLiteral("Serveur"), 1);
    fw::RadioButton::Pair(NetMode[0], NetMode[1]);
    NetMode[0]->SetValue(true);

    PagePanel2 = make<fw::PagePanel>(w, network, "PagePanel2", QRect(-5, 85, 434, 238), 2);
    QWidget* guest = PagePanel2->Page(0);
    QWidget* host = PagePanel2->Page(1);

    RadioButton3 = make<fw::RadioButton>(w, guest, "RadioButton3", QRect(26, 93, 396, 20), QStringLiteral("Via Bonjour"), 0);
    ListBox1 = make<fw::ListBox>(w, guest, "ListBox1", QRect(41, 116, 352, 81));
    ListBox1->SetHeading(QStringLiteral("Nom"));
    RadioButton2 = make<fw::RadioButton>(w, guest, "RadioButton2", QRect(26, 215, 100, 20), QStringLiteral("Via IP"), 0);
    fw::RadioButton::Pair(RadioButton3, RadioButton2);
    RadioButton3->SetValue(true);
    CltIP = make<QLineEdit>(w, guest, "CltIP", QRect(41, 240, 122, 22));
    CltIP->setText(QStringLiteral("192.168.1.1"));
    CltIP->setEnabled(false);
    ButonsOkCancel2 = make<ButonsOkCancel>(w, guest, "ButonsOkCancel2", QRect(238, 273, 174, 44));
    ButonsOkCancel2->hide();

    CCNet = make<ColorChoice>(w, host, "CCNet", QRect(6, 98, 406, 129));
    CCNet->hide();
    ButonsOkCancel3 = make<ButonsOkCancel>(w, host, "ButonsOkCancel3", QRect(238, 226, 174, 44));
    ButonsOkCancel3->hide();

    Object1->Browsing_Removed = [this](std::int32_t i) { Object1_Browsing_Removed(i); };
    Object1->Browsing_Resolved = [this](std::int32_t i) { Object1_Browsing_Resolved(i); };
    Object1->Browsing_Found = [this](std::int32_t i) { Object1_Browsing_Found(i); };
    ButonsOkCancel1->onOpen = [this] { ButonsOkCancel1_Open(); };
    for (int k = 0; k < 2; ++k) {
        NetMode[k]->Action = [this, k] { NetMode_Action(k); };
        GameStyle[k]->Action = [this, k] { GameStyle_Action(k); };
    }
    CCOrd->onOpen = [this] { CCOrd_Open(); };
    ButonsOkCancel3->onOpen = [this] { ButonsOkCancel3_Open(); };
    CCNet->onOpen = [this] { CCNet_Open(); };
    ButonsOkCancel2->onOpen = [this] { ButonsOkCancel2_Open(); };
    ListBox1->Change = [this] { ListBox1_Change(); };
    RadioButton2->Action = [this] { RadioButton2_Action(); };
    connect(CltIP, &QLineEdit::textChanged, this, [this] { fw::Guard("CltIP.TextChange", [this] { CltIP_TextChange(); }); });
    RadioButton3->Action = [this] { RadioButton3_Action(); };
}

newgame::~newgame() = default;

void newgame::Object1_Open() { Object1->Browsing_Start(net::kServiceType); }

// Row i stands for the control's service i; the rows follow the indices the control reports.
void newgame::Object1_Browsing_Found(std::int32_t index) {
    if (index < 0 || index >= kMaxRows) return;
    while (ListBox1->ListCount() < index + 1) ListBox1->AddRow(kWaitingRow);
}

void newgame::Object1_Browsing_Resolved(std::int32_t index) {
    if (index < 0 || index >= kMaxRows) return;
    while (ListBox1->ListCount() < index + 1) ListBox1->AddRow(QString());
    ListBox1->SetCell(index, 0, Object1->Browsing_Name(index));
}

void newgame::Object1_Browsing_Removed(std::int32_t index) {
    if (index >= 0 && index < ListBox1->ListCount()) ListBox1->RemoveRow(index);
}

void newgame::ButonsOkCancel1_Open() {
    ButonsOkCancel1->SetIAMode(true);
    ButonsOkCancel1->SetServMode(true);
}

void newgame::ButonsOkCancel3_Open() {
    ButonsOkCancel3->SetIAMode(false);
    ButonsOkCancel3->SetServMode(true);
}

void newgame::ButonsOkCancel2_Open() {
    ButonsOkCancel2->SetIAMode(false);
    ButonsOkCancel2->SetServMode(false);
    // The guest's OK waits for an address.
    ButonsOkCancel2->PushButton1->setEnabled(false);
}

void newgame::CCOrd_Open() { CCOrd->SetOkCanc(ButonsOkCancel1); }

void newgame::CCNet_Open() { CCNet->SetOkCanc(ButonsOkCancel3); }

void newgame::RadioButton3_Open() {
    RadioButton3->SetCaption(Object1->is_available() ? QStringLiteral("Via Bonjour")
                                                     : QStringLiteral("Via Bonjour (Non disponible sur cet ordinateur)"));
}

void newgame::GameStyle_Action(int index) {
    GameStyle[0]->SetValue(index == 0);
    GameStyle[1]->SetValue(index == 1);
    PagePanel1->SetValue(index);
    PageGlobToChange(index);
}

void newgame::NetMode_Action(int index) {
    PagePanel2->SetValue(index);
    PageNetToChange(index);
}

void newgame::PageGlobToChange(std::int32_t page) {
    ButonsOkCancel2->hide();
    ButonsOkCancel3->hide();
    CCOrd->setVisible(page == 0);
    CCNet->setVisible(page == 1);
    if (page == 0) {
        ButonsOkCancel1->show();
        SetHeight(225);
        return;
    }
    if (page == 1) {
        ButonsOkCancel1->hide();
        if (NetMode[0]->Value()) PageNetToChange(0);
        if (NetMode[1]->Value()) PageNetToChange(1);
    }
}

void newgame::PageNetToChange(std::int32_t page) {
    ButonsOkCancel2->setVisible(page == 0);
    ButonsOkCancel3->setVisible(page == 1);
    CCNet->setVisible(page == 1);
    if (page == 0) SetHeight(319);
    if (page == 1) SetHeight(273);
}

void newgame::enableGuestOkFromList() {
    const int r = ListBox1->ListIndex();
    ButonsOkCancel2->PushButton1->setEnabled(r >= 0 && Object1->Browsing_CountAddresses(r) > 0);
}

void newgame::ListBox1_Change() {
    enableGuestOkFromList();
    GetBonjourIp();
}

void newgame::GetBonjourIp() {
    const int r = ListBox1->ListIndex();
    if (r < 0) return;
    const std::int32_t n = std::min(Object1->Browsing_CountAddresses(r), kMaxAddresses);
    for (std::int32_t j = 0; j < n; ++j) {
        const QString a = Object1->Browsing_Addresses(r, j);
        // "0.0.0.0" stands for an address that is not IPv4.
        if (a != QLatin1String("0.0.0.0") && a != fw::Bonjour::Null()) {
            choosen_ip = a;
            return;
        }
    }
}

void newgame::RadioButton2_Action() {
    choosen_ip = CltIP->text();
    ButonsOkCancel2->PushButton1->setEnabled(true);
    CltIP->setEnabled(true);
}

void newgame::CltIP_TextChange() { choosen_ip = CltIP->text(); }

void newgame::RadioButton3_Action() {
    choosen_ip.clear();
    CltIP->setEnabled(false);
    enableGuestOkFromList();
    GetBonjourIp();
}

void newgame::AddMenuHandlers() { AddCloseHandler(); }

void newgame::Event_Open() {
    // The controls without an Open event of their own in our framework open here, before the
    // window's own opening; the containers have opened already.
    Object1_Open();
    RadioButton3_Open();
    PageGlobToChange(0);
}

}  // namespace wnd

wnd::newgame& newgame() { return fw::Instance<wnd::newgame>(); }
