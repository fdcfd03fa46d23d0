// The new-game dialog without the network: its initial state, its three modes and their heights,
// the colour choosers, the list of games found on the local network (the DNS-SD control's events
// raised by the test), the address the guest's OK would use, and the menu that shows it. No test
// here presses an OK that connects anywhere.
#include "fake_bonjour.h"
#include "framework/application.h"
#include "framework/bonjour.h"
#include "framework/buttons.h"
#include "framework/listbox.h"
#include "framework/pagepanel.h"
#include "framework/window.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/pref.h"
#include "windows/butonsokcancel.h"
#include "windows/colorchoice.h"
#include "windows/newgame.h"

#include "app_fixture.h"
#include "qstring_print.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

namespace {

const QString kWaiting = QStringLiteral("En attente d'informations...");

class NewGameTest : public AppFixture {
protected:
    void SetUp() override {
        StartApp();
        fake = std::make_unique<UseFakeBonjour>();
    }
    void TearDown() override {
        StopApp();
        fake.reset();
    }

    wnd::newgame& dialog() { return newgame(); }
    FakeBonjour& bonjour() { return *FakeBonjour::Of(dialog().Object1); }
    // A closed dialog goes with the next pass of the event loop; the accessor then makes a new one.
    void reopen() {
        fw::CloseInstance<wnd::newgame>();
        QTest::qWait(1);
        dialog();
    }

    static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
    // A radio button answers on its circle and its caption, not on the rest of its width.
    static void click(fw::RadioButton* r) { QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(8, r->height() / 2)); }
    // The middle of the token, on its opaque shape.
    static void clickColour(ColorChoice* chooser, int index) {
        QWidget* b = chooser->Button(index);
        QTest::mouseMove(b, b->rect().center());
        click(b);
    }
    void clickRow(int row) {
        fw::ListBox* list = dialog().ListBox1;
        const QRect r = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    fw::PushButton* guestOk() { return dialog().ButonsOkCancel2->PushButton1; }
    std::vector<QString> rows() {
        std::vector<QString> r;
        for (int i = 0; i < dialog().ListBox1->ListCount(); ++i) r.push_back(dialog().ListBox1->Cell(i, 0));
        return r;
    }
    // The mode, as the user chooses it.
    void network(bool host) {
        click(dialog().GameStyle[1]);
        click(dialog().NetMode[host ? 1 : 0]);
    }
    // A found service, resolved to the addresses.
    FakeService& service(const QString& name, std::vector<QString> addresses) {
        bonjour().services.push_back({name, name + QStringLiteral(".local"), true, std::move(addresses), {}, false, {}});
        return bonjour().services.back();
    }

    std::unique_ptr<UseFakeBonjour> fake;
};

TEST_F(NewGameTest, OpensAgainstTheComputerWithEveryOkDisabled) {
    wnd::newgame& d = dialog();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Nouveau jeu"));
    EXPECT_EQ(d.Width(), 424);
    EXPECT_EQ(d.Height(), 225);
    const Qt::WindowFlags f = d.Host().windowFlags();
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    ASSERT_TRUE(d.Visible());
    EXPECT_EQ(app->FrontWindow(), &d);

    EXPECT_TRUE(d.GameStyle[0]->Value());
    EXPECT_FALSE(d.GameStyle[1]->Value());
    EXPECT_EQ(d.GameStyle[0]->text(), QStringLiteral("Contre l'ordinateur"));
    EXPECT_EQ(d.GameStyle[1]->text(), QStringLiteral("Réseau"));
    EXPECT_TRUE(d.CCOrd->isVisible());
    EXPECT_TRUE(d.ButonsOkCancel1->isVisible());
    for (QWidget* w : std::initializer_list<QWidget*>{d.CCNet, d.ButonsOkCancel2, d.ButonsOkCancel3, d.GroupBox1, d.ListBox1, d.CltIP})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    for (ButonsOkCancel* g : {d.ButonsOkCancel1, d.ButonsOkCancel2, d.ButonsOkCancel3}) {
        EXPECT_FALSE(g->PushButton1->isEnabled()) << g->objectName().toStdString();
        EXPECT_TRUE(g->PushButton2->isEnabled());
        EXPECT_EQ(g->PushButton1->text(), QStringLiteral("Ok"));
        EXPECT_EQ(g->PushButton2->text(), QStringLiteral("Annuler"));
    }
    // The three groups as the dialog set them up, and the choosers linked to theirs.
    EXPECT_TRUE(d.ButonsOkCancel1->iaMode && d.ButonsOkCancel1->servMode);
    EXPECT_TRUE(!d.ButonsOkCancel3->iaMode && d.ButonsOkCancel3->servMode);
    EXPECT_TRUE(!d.ButonsOkCancel2->iaMode && !d.ButonsOkCancel2->servMode);
    EXPECT_EQ(d.CCOrd->OkCanc(), d.ButonsOkCancel1);
    EXPECT_EQ(d.CCNet->OkCanc(), d.ButonsOkCancel3);
    for (ColorChoice* c : {d.CCOrd, d.CCNet}) {
        EXPECT_FALSE(c->Button(0)->Active());
        EXPECT_FALSE(c->Button(1)->Active());
        EXPECT_EQ(c->GroupBox1->title(), QStringLiteral("Choisissez la couleur de vos pions :"));
    }

    EXPECT_TRUE(d.NetMode[0]->Value());
    EXPECT_FALSE(d.NetMode[1]->Value());
    EXPECT_TRUE(d.RadioButton3->Value());
    EXPECT_FALSE(d.RadioButton2->Value());
    EXPECT_EQ(d.RadioButton3->Caption(), QStringLiteral("Via Bonjour"));
    EXPECT_EQ(d.CltIP->text(), QStringLiteral("192.168.1.1"));
    EXPECT_FALSE(d.CltIP->isEnabled());
    EXPECT_TRUE(d.choosen_ip.isEmpty());
    EXPECT_EQ(d.ListBox1->ListCount(), 0);
    EXPECT_EQ(d.ListBox1->Heading(), QStringLiteral("Nom"));
    EXPECT_EQ(d.ListBox1->ListIndex(), -1);
    // The search runs from the opening.
    EXPECT_EQ(bonjour().browsing, QStringLiteral("_servquorril._tcp."));
}

TEST_F(NewGameTest, ControlsStandWhereTheWindowPutsThem) {
    wnd::newgame& d = dialog();
    network(false);
    struct Case {
        QWidget* w;
        QRect r;  // in the window's coordinates
    };
    const Case cases[] = {
        {d.GameStyle[0], {77, 14, 128, 22}},   {d.GameStyle[1], {218, 14, 128, 22}}, {d.Separator1, {15, 23, 50, 4}},
        {d.Separator6, {356, 23, 50, 4}},      {d.PagePanel1, {-14, 43, 452, 293}},  {d.CCOrd, {6, 55, 406, 126}},
        {d.ButonsOkCancel1, {238, 180, 174, 44}}, {d.GroupBox1, {15, 48, 393, 33}}, {d.NetMode[0], {28, 55, 67, 20}},
        {d.NetMode[1], {100, 55, 75, 20}},     {d.PagePanel2, {-5, 85, 434, 238}},   {d.RadioButton3, {26, 93, 396, 20}},
        {d.ListBox1, {41, 116, 352, 81}},      {d.RadioButton2, {26, 215, 100, 20}}, {d.CltIP, {41, 240, 122, 22}},
        {d.ButonsOkCancel2, {238, 273, 174, 44}}, {d.CCNet, {6, 98, 406, 129}},      {d.ButonsOkCancel3, {238, 226, 174, 44}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.w->objectName().toStdString());
        EXPECT_EQ(QRect(c.w->mapTo(&d, QPoint()), c.w->size()), c.r);
    }
    // Inside the choosers and the groups, their own coordinates.
    EXPECT_EQ(QRect(d.CCNet->Button(0)->mapTo(d.CCNet, QPoint()), d.CCNet->Button(0)->size()), QRect(96, 35, 70, 70));
    EXPECT_EQ(QRect(d.CCNet->Button(1)->mapTo(d.CCNet, QPoint()), d.CCNet->Button(1)->size()), QRect(236, 35, 70, 70));
    EXPECT_EQ(d.ButonsOkCancel2->PushButton2->geometry(), QRect(12, 11, 69, 20));
    EXPECT_EQ(d.ButonsOkCancel2->PushButton1->geometry(), QRect(93, 11, 69, 20));
}

TEST_F(NewGameTest, WithoutDnsSdTheCaptionSaysSoAndTheSearchStartsAllTheSame) {
    // A service that answers unavailable is searched all the same.
    fw::Bonjour::SetBackendMaker([](fw::Bonjour&) {
        auto b = std::make_unique<FakeBonjour>();
        b->available = false;
        return b;
    });
    EXPECT_EQ(dialog().RadioButton3->Caption(), QStringLiteral("Via Bonjour (Non disponible sur cet ordinateur)"));
    EXPECT_EQ(bonjour().browsing, QStringLiteral("_servquorril._tcp."));

    fake.reset();  // the control as the program has it without the plug-in
    reopen();
    wnd::newgame& d = dialog();
    EXPECT_EQ(d.RadioButton3->Caption(), QStringLiteral("Via Bonjour (Non disponible sur cet ordinateur)"));
    EXPECT_TRUE(d.RadioButton3->Value());
    EXPECT_TRUE(d.RadioButton3->isEnabled());
    EXPECT_FALSE(d.Object1->is_available());
}

TEST_F(NewGameTest, ModesShowTheirControlsAtTheirHeights) {
    wnd::newgame& d = dialog();
    const int frameExtra = d.Host().height() - d.Height();
    struct Step {
        const char* what;
        std::function<void()> act;
        int height;
        std::vector<QWidget*> seen, hidden;
    };
    const std::vector<Step> steps = {
        {"Réseau (Client)", [&] { click(d.GameStyle[1]); }, 319,
         {d.GroupBox1, d.NetMode[0], d.NetMode[1], d.RadioButton3, d.ListBox1, d.RadioButton2, d.CltIP, d.ButonsOkCancel2},
         {d.CCOrd, d.ButonsOkCancel1, d.CCNet, d.ButonsOkCancel3}},
        {"Serveur", [&] { click(d.NetMode[1]); }, 273,
         {d.GroupBox1, d.CCNet, d.ButonsOkCancel3},
         {d.CCOrd, d.ButonsOkCancel1, d.ButonsOkCancel2, d.ListBox1, d.RadioButton3, d.CltIP}},
        {"Contre l'ordinateur", [&] { click(d.GameStyle[0]); }, 225,
         {d.CCOrd, d.ButonsOkCancel1},
         {d.GroupBox1, d.CCNet, d.ButonsOkCancel3, d.ButonsOkCancel2, d.ListBox1}},
        {"the same button again", [&] { click(d.GameStyle[0]); }, 225, {d.CCOrd, d.ButonsOkCancel1}, {d.GroupBox1, d.CCNet}},
        // The network page comes back as it was left: the host's.
        {"Réseau again", [&] { click(d.GameStyle[1]); }, 273, {d.CCNet, d.ButonsOkCancel3}, {d.ButonsOkCancel2, d.CCOrd}},
        {"Client", [&] { click(d.NetMode[0]); }, 319, {d.ButonsOkCancel2, d.ListBox1}, {d.CCNet, d.ButonsOkCancel3}},
        {"Client again", [&] { click(d.NetMode[0]); }, 319, {d.ButonsOkCancel2, d.ListBox1}, {d.CCNet, d.ButonsOkCancel3}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(d.Height(), s.height);
        // The frame follows the content.
        EXPECT_EQ(d.Host().height(), s.height + frameExtra);
        for (QWidget* w : s.seen) EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        for (QWidget* w : s.hidden) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_EQ(d.GameStyle[0]->Value(), d.PagePanel1->Value() == 0);
        EXPECT_EQ(d.GameStyle[1]->Value(), d.PagePanel1->Value() == 1);
        EXPECT_NE(d.NetMode[0]->Value(), d.NetMode[1]->Value());
    }
}

TEST_F(NewGameTest, AColourStaysChosenAcrossModesAndEnablesOnlyItsOwnOk) {
    wnd::newgame& d = dialog();
    network(true);
    clickColour(d.CCNet, 1);
    EXPECT_TRUE(d.CCNet->Button(1)->Active());
    EXPECT_FALSE(d.CCNet->Button(0)->Active());
    EXPECT_TRUE(d.ButonsOkCancel3->PushButton1->isEnabled());
    EXPECT_FALSE(d.ButonsOkCancel1->PushButton1->isEnabled());
    EXPECT_FALSE(guestOk()->isEnabled());

    // To the guest, to the computer and back.
    click(d.NetMode[0]);
    click(d.GameStyle[0]);
    EXPECT_FALSE(d.CCOrd->Button(0)->Active() || d.CCOrd->Button(1)->Active());
    click(d.GameStyle[1]);
    click(d.NetMode[1]);
    EXPECT_TRUE(d.CCNet->Button(1)->Active());
    EXPECT_FALSE(d.CCNet->Button(0)->Active());
    EXPECT_TRUE(d.ButonsOkCancel3->PushButton1->isEnabled());
    EXPECT_EQ(d.CCNet->Colour(), 1);

    // Yellow then blue leaves blue alone; the hover look of the selected set shows under the pointer.
    clickColour(d.CCNet, 0);
    EXPECT_EQ(d.CCNet->Colour(), -1);
    clickColour(d.CCNet, 1);
    EXPECT_FALSE(d.CCNet->Button(0)->Active());
    EXPECT_TRUE(d.CCNet->Button(1)->Active());
    EXPECT_EQ(d.CCNet->Button(1)->Backdrop(), d.CCNet->Button(1)->LookPicture(PictureButton::Hover, true));
    EXPECT_EQ(d.CCNet->Button(0)->Backdrop(), d.CCNet->Button(0)->LookPicture(PictureButton::Normal, false));

    // A click on a token's transparent corner is no click.
    click(d.GameStyle[0]);
    QTest::mouseClick(d.CCOrd->Button(0), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(d.CCOrd->Button(0)->Active());
    EXPECT_FALSE(d.ButonsOkCancel1->PushButton1->isEnabled());
    clickColour(d.CCOrd, 0);
    EXPECT_TRUE(d.ButonsOkCancel1->PushButton1->isEnabled());
    EXPECT_EQ(d.CCOrd->Colour(), -1);
}

TEST_F(NewGameTest, TheListFollowsTheIndicesTheControlReports) {
    enum Kind { Found, Resolved, Removed };
    struct Event {
        Kind kind;
        std::int32_t index;
    };
    struct Case {
        const char* what;
        std::vector<QString> names;  // the services the control lists, resolved under these names
        std::vector<Event> events;
        std::vector<QString> rows;
    };
    const std::int32_t notFound = fw::Bonjour::kNotFound;
    const QString a = QStringLiteral("alpha"), b = QStringLiteral("beta"), c = QStringLiteral("gamma"), e = QStringLiteral("delta");
    const std::vector<Case> cases = {
        {"Found 2 on an empty list pads", {a, b, c}, {{Found, 2}}, {kWaiting, kWaiting, kWaiting}},
        {"one Found per appended service", {a, b}, {{Found, 0}, {Found, 1}}, {kWaiting, kWaiting}},
        {"Found on an existing row writes nothing", {a, b}, {{Found, 1}, {Resolved, 0}, {Found, 0}}, {a, kWaiting}},
        {"Resolved past the end pads with empty rows", {a, b, c, e}, {{Found, 1}, {Resolved, 3}}, {kWaiting, kWaiting, QString(), e}},
        {"Removed out of range changes nothing", {a, b}, {{Found, 1}, {Removed, -1}, {Removed, 2}, {Removed, notFound}}, {kWaiting, kWaiting}},
        {"Removed 0 takes the first row", {a, b}, {{Found, 1}, {Resolved, 1}, {Removed, 0}}, {b}},
        {"events about a service no longer listed", {a}, {{Found, 0}, {Resolved, notFound}, {Found, notFound}}, {kWaiting}},
        {"indices past the rows the list keeps", {a}, {{Found, wnd::newgame::kMaxRows}, {Resolved, wnd::newgame::kMaxRows + 3}}, {}},
        // The control lists one service twice: the second Found carries the first entry's index.
        {"a service listed twice", {a, a, b}, {{Found, 0}, {Found, 0}, {Found, 2}, {Resolved, 0}, {Resolved, 2}}, {a, kWaiting, b}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        reopen();
        for (const QString& n : k.names) service(n, {QStringLiteral("127.0.0.2")});
        for (const Event& ev : k.events) {
            fw::Bonjour& o = *dialog().Object1;
            if (ev.kind == Found) o.RaiseBrowsingFound(ev.index);
            if (ev.kind == Resolved) o.RaiseBrowsingResolved(ev.index);
            if (ev.kind == Removed) o.RaiseBrowsingRemoved(ev.index);
        }
        EXPECT_EQ(rows(), k.rows);
    }
}

TEST_F(NewGameTest, TheGuestsAddressComesFromTheRowOrTheField) {
    wnd::newgame& d = dialog();
    network(false);
    fw::Bonjour& o = *d.Object1;
    // Row 0 resolves to an IPv6-only host and then a usable address; row 1 never resolves; row 2
    // has nothing usable; row 3 resolves later.
    service(QStringLiteral("un"), {QStringLiteral("0.0.0.0"), QStringLiteral("(null)"), QStringLiteral("127.0.0.3")});
    bonjour().services.push_back({QStringLiteral("deux"), {}, false, {}, {}, false, {}});
    service(QStringLiteral("trois"), {QStringLiteral("0.0.0.0")});
    bonjour().services.push_back({QStringLiteral("quatre"), {}, false, {}, {}, false, {}});
    for (int i = 0; i < 4; ++i) o.RaiseBrowsingFound(i);
    o.RaiseBrowsingResolved(0);
    o.RaiseBrowsingResolved(2);
    ASSERT_EQ(rows(), (std::vector<QString>{QStringLiteral("un"), kWaiting, QStringLiteral("trois"), kWaiting}));

    struct Step {
        const char* what;
        std::function<void()> act;
        QString ip;
        bool ok;
    };
    const std::vector<Step> steps = {
        {"Via Bonjour, nothing selected", [] {}, QString(), false},
        {"a row not resolved yet", [&] { clickRow(1); }, QString(), false},
        {"the first usable address", [&] { clickRow(0); }, QStringLiteral("127.0.0.3"), true},
        {"no usable address keeps the last one, but OK is on", [&] { clickRow(2); }, QStringLiteral("127.0.0.3"), true},
        {"Via Bonjour again empties it", [&] { click(d.RadioButton2); click(d.RadioButton3); }, QString(), true},
        {"Via IP takes the field as it is", [&] { click(d.RadioButton2); }, QStringLiteral("192.168.1.1"), true},
        {"an emptied field", [&] { d.CltIP->clear(); }, QString(), true},
        {"typing", [&] { QTest::keyClicks(d.CltIP, QStringLiteral("127.0.0.2")); }, QStringLiteral("127.0.0.2"), true},
        // The list still answers with Via IP chosen; the field keeps its text.
        {"a resolved row with Via IP chosen", [&] { clickRow(0); }, QStringLiteral("127.0.0.3"), true},
        {"the field again", [&] { QTest::keyClicks(d.CltIP, QStringLiteral("5")); }, QStringLiteral("127.0.0.25"), true},
        {"a waiting row with Via IP chosen disables OK", [&] { clickRow(3); }, QStringLiteral("127.0.0.25"), false},
        {"and an edit does not enable it again", [&] { QTest::keyClick(d.CltIP, Qt::Key_Backspace); }, QStringLiteral("127.0.0.2"), false},
        // A row that resolves while selected counts only at the next change of the selection.
        {"resolved while selected", [&] {
             bonjour().services[3].resolved = true;
             bonjour().services[3].name = QStringLiteral("quatre");
             bonjour().services[3].addresses = {QStringLiteral("127.0.0.4")};
             o.RaiseBrowsingResolved(3);
         }, QStringLiteral("127.0.0.2"), false},
        {"the same row again is no change", [&] { clickRow(3); }, QStringLiteral("127.0.0.2"), false},
        {"Via Bonjour reads the selected row", [&] { click(d.RadioButton3); }, QStringLiteral("127.0.0.4"), true},
        {"the selected row goes", [&] { o.RaiseBrowsingRemoved(3); }, QStringLiteral("127.0.0.4"), false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(d.choosen_ip, s.ip);
        EXPECT_EQ(guestOk()->isEnabled(), s.ok);
    }
    EXPECT_EQ(d.CltIP->text(), QStringLiteral("127.0.0.2"));
    EXPECT_FALSE(d.CltIP->isEnabled());
    EXPECT_EQ(rows().size(), 3u);
}

TEST_F(NewGameTest, EscapePressesTheVisibleCancelAndReturnOnlyAnEnabledDefault) {
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        wnd::newgame& d = dialog();
        // No key may reach the dialog while its field holds another machine's address.
        d.CltIP->setText(QStringLiteral("127.0.0.2"));
        // Every OK counts its presses instead of starting a game, and the OKs of the two hidden
        // groups are on: a press of one of them would be a fault.
        ButonsOkCancel* groups[3] = {d.ButonsOkCancel1, d.ButonsOkCancel2, d.ButonsOkCancel3};
        int pressed[3] = {0, 0, 0};
        for (int k = 0; k < 3; ++k) groups[k]->PushButton1->Action = [&pressed, k] { ++pressed[k]; };
        clickColour(d.CCOrd, 0);
        network(false);
        click(d.RadioButton2);
        network(true);
        clickColour(d.CCNet, 1);
        if (mode == 0) click(d.GameStyle[0]);
        if (mode == 1) click(d.NetMode[0]);
        fw::PushButton* ok = groups[mode]->PushButton1;
        ASSERT_TRUE(ok->isVisible());
        for (ButonsOkCancel* g : groups) ASSERT_TRUE(g->PushButton1->isEnabled()) << g->objectName().toStdString();

        // The OK on screen off: Return presses nothing.
        ok->setEnabled(false);
        QTest::keyClick(&d, Qt::Key_Return);
        EXPECT_EQ(pressed[0] + pressed[1] + pressed[2], 0);
        // On: Return presses that one only.
        ok->setEnabled(true);
        QTest::keyClick(&d, Qt::Key_Return);
        EXPECT_EQ(pressed[mode], 1);
        EXPECT_EQ(pressed[0] + pressed[1] + pressed[2], 1);

        ASSERT_TRUE(fw::Exists<wnd::newgame>());
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_FALSE(fw::Exists<wnd::newgame>());
        QTest::qWait(1);
    }
}

TEST_F(NewGameTest, TheMenuShowsTheDialogAndBringsAnOpenOneToTheFront) {
    shell::TheMenu().UpdateEnabled();
    ASSERT_TRUE(JeuNewGame().Enabled());
    EXPECT_EQ(JeuNewGame().Text(), QStringLiteral("Nouvelle partie ..."));
    EXPECT_EQ(JeuNewGame().Action()->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_FALSE(fw::Exists<wnd::newgame>());
    shell::TheMenu().Choose(QStringLiteral("JeuNewGame"));
    ASSERT_TRUE(fw::Exists<wnd::newgame>());
    wnd::newgame* first = &dialog();
    network(true);
    clickColour(first->CCNet, 0);

    pref().Show();
    ASSERT_EQ(app->FrontWindow(), &pref());
    shell::TheMenu().Choose(QStringLiteral("JeuNewGame"));
    EXPECT_EQ(app->FrontWindow(), first);
    EXPECT_EQ(&dialog(), first);
    EXPECT_EQ(first->Height(), 273);

    // « Fermer » closes it; the next one starts afresh.
    shell::TheMenu().Choose(QStringLiteral("FichierFermer"));
    EXPECT_FALSE(fw::Exists<wnd::newgame>());
    QTest::qWait(1);
    shell::TheMenu().Choose(QStringLiteral("JeuNewGame"));
    wnd::newgame& again = dialog();
    EXPECT_EQ(again.Height(), 225);
    EXPECT_FALSE(again.CCNet->Button(0)->Active());
    EXPECT_TRUE(again.NetMode[0]->Value());

    // No new game while one is open.
    app->isOpenedGame = true;
    shell::TheMenu().UpdateEnabled();
    EXPECT_FALSE(JeuNewGame().Enabled());
}

TEST_F(NewGameTest, LocalAddressesAreRecognisedWhateverTheirCaseAndBlanks) {
    struct Case {
        const char* address;
        bool local;
    };
    const Case cases[] = {{"localhost", true},   {"127.0.0.1", true},  {"LocalHost", true},  {" 127.0.0.1 ", true},
                          {"\tLOCALHOST\n", true}, {"127.0.0.2", false}, {"127.0.0.10", false}, {"", false},
                          {"localhost.", false}, {"127.0.0.1:1234", false}};
    for (const Case& c : cases) EXPECT_EQ(IsLocalAddress(QString::fromLatin1(c.address)), c.local) << c.address;
}

}  // namespace
