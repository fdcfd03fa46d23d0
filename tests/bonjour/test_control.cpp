// The DNS-SD control without the plug-in, its events, and the seam that puts a backend behind it.
#include "fake_bonjour.h"
#include "framework/bonjour.h"
#include "no_entry.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <stdexcept>

namespace {

constexpr std::int32_t kNotFound = fw::Bonjour::kNotFound;

TEST(BonjourControl, WithoutThePluginItIsEmptyAndUnavailable) {
    fw::Bonjour b;
    EXPECT_FALSE(b.is_available());
    b.Browsing_Start(QStringLiteral("_servquorril._tcp."));
    EXPECT_EQ(b.Browsing_Count(), 0);
    for (std::int32_t i : {-1, 0, 1, kNotFound}) ExpectNoEntry(b, i);
    // Publishing and stopping do nothing and raise nothing.
    int events = 0;
    b.Publish_Published = [&] { ++events; };
    b.Publish_Stopped = [&] { ++events; };
    b.Publish_Error = [&](std::int32_t) { ++events; };
    b.Publishing_Start(QStringLiteral("_servquorril._tcp."), QString(), {});
    b.Publishing_StartPort(QStringLiteral("_servquorril._tcp."), QStringLiteral("x"), {QStringLiteral("a")}, 5000);
    b.Publishing_Stop();
    b.Browsing_Clean();
    b.Browsing_Stop();
    EXPECT_EQ(events, 0);
    EXPECT_EQ(b.Browsing_Count(), 0);
}

TEST(BonjourControl, EventsReachTheirHandlersAndAnUnhandledOneDoesNothing) {
    fw::Bonjour b;
    // No handler bound: nothing happens.
    b.RaiseBrowsingFound(0);
    b.RaiseBrowsingRemoved(kNotFound);
    b.RaiseBrowsingResolved(3);
    b.RaisePublishPublished();
    b.RaisePublishStopped();
    b.RaisePublishError(-1);

    std::vector<std::string> seen;
    b.Browsing_Found = [&](std::int32_t i) { seen.push_back("found " + std::to_string(i)); };
    b.Browsing_Removed = [&](std::int32_t i) { seen.push_back("removed " + std::to_string(i)); };
    b.Browsing_Resolved = [&](std::int32_t i) { seen.push_back("resolved " + std::to_string(i)); };
    b.Publish_Published = [&] { seen.push_back("published"); };
    b.Publish_Stopped = [&] { seen.push_back("stopped"); };
    b.Publish_Error = [&](std::int32_t e) { seen.push_back("error " + std::to_string(e)); };
    b.RaiseBrowsingFound(2);
    b.RaiseBrowsingResolved(2);
    b.RaiseBrowsingRemoved(kNotFound);
    b.RaisePublishPublished();
    b.RaisePublishError(-8);
    b.RaisePublishStopped();
    EXPECT_EQ(seen, (std::vector<std::string>{"found 2", "resolved 2", "removed 2147483647", "published", "error -8", "stopped"}));
}

TEST(BonjourControl, AHandlerThatThrowsOrDestroysTheControlStopsThere) {
    fw::Bonjour b;
    b.Browsing_Found = [](std::int32_t) { throw std::runtime_error("handler failed"); };
    b.RaiseBrowsingFound(0);  // reported, not passed on

    auto* owned = new fw::Bonjour;
    QPointer<fw::Bonjour> watch(owned);
    int after = 0;
    owned->Browsing_Removed = [&, owned](std::int32_t) {
        delete owned;
        ++after;  // the handler's own state outlives the control
    };
    owned->RaiseBrowsingRemoved(0);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(after, 1);
}

TEST(BonjourControl, TheMakerPutsABackendBehindEveryNewControl) {
    {
        UseFakeBonjour fake;
        fw::Bonjour b;
        FakeBonjour* f = FakeBonjour::Of(&b);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(b.is_available());
        f->services.push_back({QStringLiteral("hote"), QStringLiteral("hote.local"), true, {QStringLiteral("127.0.0.2")}, {1234}, false, {}});
        EXPECT_EQ(b.Browsing_Count(), 1);
        EXPECT_EQ(b.Browsing_Name(0), QStringLiteral("hote"));
        EXPECT_EQ(b.Browsing_Addresses(0, 0), QStringLiteral("127.0.0.2"));
        // A start without a port asks the system for one.
        b.Publishing_Start(QStringLiteral("_servquorril._tcp."), QString(), {});
        EXPECT_TRUE(f->published);
        EXPECT_EQ(f->port, -1);
        // A null backend gives the empty control.
        b.SetBackend(nullptr);
        EXPECT_FALSE(b.is_available());
        EXPECT_EQ(b.Browsing_Count(), 0);
    }
    // The maker before it is back: no maker, the empty control.
    fw::Bonjour plain;
    EXPECT_EQ(FakeBonjour::Of(&plain), nullptr);
    EXPECT_FALSE(plain.is_available());

    // A maker that answers nothing also gives the empty control.
    fw::Bonjour::SetBackendMaker([](fw::Bonjour&) { return std::unique_ptr<fw::BonjourBackend>(); });
    fw::Bonjour none;
    EXPECT_FALSE(none.is_available());
    EXPECT_EQ(none.Browsing_Name(0), QStringLiteral("(null)"));
    fw::Bonjour::SetBackendMaker(nullptr);
}

}  // namespace
