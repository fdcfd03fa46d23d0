// The real plug-in under a daemon that misbehaves (tests/support/with-avahi.sh drives it): the
// daemon stopped, killed and started again while a control and the new-game dialog list few or
// many services.
#include "framework/bonjour.h"
#include "framework/buttons.h"
#include "framework/listbox.h"
#include "framework/pluginhost.h"
#include "windows/newgame.h"
#include "qstring_print.h"
#include "../net/netfixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstdlib>

namespace {

const QString kType = QStringLiteral("_servquorril._tcp.");
constexpr int kWait = 30000;

bool ctl(const char* what) {
    const char* script = std::getenv("QUORRIL_AVAHI_CTL");
    return script && QProcess::execute(QString::fromLocal8Bit(script), {QString::fromLatin1(what)}) == 0;
}

// Services the daemon itself publishes, from static service files: it publishes exactly these once
// it has started again, they go with it and come back with it.
class StaticServices {
public:
    StaticServices(int n, const QString& prefix) : dir_(qEnvironmentVariable("QUORRIL_AVAHI_SERVICES")) {
        for (int k = 0; k < n; ++k) {
            QFile f(dir_.filePath(QStringLiteral("partie-%1.service").arg(k)));
            if (!f.open(QIODevice::WriteOnly)) continue;
            f.write(QStringLiteral("<?xml version=\"1.0\" standalone='no'?>\n"
                                   "<!DOCTYPE service-group SYSTEM \"avahi-service.dtd\">\n"
                                   "<service-group><name>%1 %2</name>"
                                   "<service><type>_servquorril._tcp</type><port>%3</port></service></service-group>\n")
                        .arg(prefix)
                        .arg(k)
                        .arg(4000 + k)
                        .toUtf8());
        }
        restarted_ = ctl("stop") && ctl("start");
    }
    ~StaticServices() {
        for (const QString& f : dir_.entryList({QStringLiteral("*.service")}, QDir::Files)) dir_.remove(f);
    }
    bool Published() const { return restarted_; }

private:
    QDir dir_;
    bool restarted_ = false;
};

// How many of the control's entries are resolved.
int resolved(fw::Bonjour& b) {
    int n = 0;
    for (int i = 0; i < b.Browsing_Count(); ++i) n += b.Browsing_Name(i) != fw::Bonjour::Null();
    return n;
}

class DaemonTrouble : public NetApp {
protected:
    void SetUp() override {
        if (!std::getenv("QUORRIL_AVAHI_CTL")) GTEST_SKIP() << "run through tests/support/with-avahi.sh";
        ASSERT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
        NetApp::SetUp();
    }
    void TearDown() override {
        NetApp::TearDown();
        // The daemon runs for the next test whatever this one left.
        ctl("resume");
        if (!ctl("reload")) ctl("start");  // reload answers whether it runs
    }
};

// The daemon stopped, or killed without a goodbye, while services are listed: every one is
// reported removed with an index it can still be read at, the list empties, and all come back
// with the daemon.
TEST_F(DaemonTrouble, AControlListingFewOrManyServicesSeesThemGoWithTheDaemonAndComeBack) {
    struct Case {
        const char* end;
        int services;
    };
    for (const Case& c : {Case{"stop", 3}, Case{"kill", 3}, Case{"stop", 300}, Case{"kill", 300}}) {
        SCOPED_TRACE(testing::Message() << c.end << " with " << c.services << " services");
        StaticServices published(c.services, QStringLiteral("Partie"));
        ASSERT_TRUE(published.Published());
        fw::Bonjour b;
        int removed = 0, unreadable = 0;
        b.Browsing_Removed = [&](std::int32_t i) {
            ++removed;
            if (i < 0 || i >= b.Browsing_Count() || b.Browsing_Name(i) == fw::Bonjour::Null()) ++unreadable;
        };
        b.Browsing_Start(kType);
        ASSERT_TRUE(QTest::qWaitFor([&] { return b.Browsing_Count() == c.services && resolved(b) == c.services; }, kWait))
            << b.Browsing_Count() << " listed, " << resolved(b) << " resolved";

        ASSERT_TRUE(ctl(c.end));
        EXPECT_TRUE(QTest::qWaitFor([&] { return b.Browsing_Count() == 0; }, kWait)) << b.Browsing_Count();
        EXPECT_EQ(removed, c.services);
        EXPECT_EQ(unreadable, 0);

        ASSERT_TRUE(ctl("start"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return b.Browsing_Count() == c.services && resolved(b) == c.services; }, kWait))
            << b.Browsing_Count() << " listed, " << resolved(b) << " resolved";
    }
}

TEST_F(DaemonTrouble, TheDialogListingManyGamesEmptiesWhenTheDaemonStopsAndFillsWhenItIsBack) {
    constexpr int kGames = 300;
    StaticServices published(kGames, QStringLiteral("Partie"));
    ASSERT_TRUE(published.Published());
    wnd::newgame& d = newgame();
    QTest::mouseClick(d.GameStyle[1], Qt::LeftButton, {}, d.GameStyle[1]->rect().center());
    fw::ListBox& list = *d.ListBox1;
    auto named = [&] {
        int n = 0;
        for (int i = 0; i < list.ListCount(); ++i) n += list.Cell(i, 0).startsWith(QStringLiteral("Partie "));
        return n;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.ListCount() == kGames && named() == kGames; }, kWait)) << list.ListCount();
    ASSERT_TRUE(ctl("stop"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.ListCount() == 0; }, kWait)) << list.ListCount();
    ASSERT_TRUE(ctl("start"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.ListCount() == kGames && named() == kGames; }, kWait)) << list.ListCount();
}

}  // namespace
