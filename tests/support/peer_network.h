#pragma once
// For LAN tests (tests/support/with-avahi-pair.sh): work done in the other machine's network.
#include <gtest/gtest.h>

#include <QByteArray>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

// Runs make with the calling thread in the other machine's network namespace: what it makes
// there (a listening socket, a connection) stays there once the thread is back. Where that
// network cannot be entered, make does not run and a default value comes back.
template <class F>
auto onThePeer(F make) {
    const int own = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int peer = ::open(qgetenv("QUORRIL_PEER_NETNS").constData(), O_RDONLY | O_CLOEXEC);
    const bool there = own >= 0 && peer >= 0 && ::setns(peer, CLONE_NEWNET) == 0;
    EXPECT_TRUE(there) << "cannot enter the peer's network";
    // Outside it, nothing is made: what make connects to lies only inside the pair's networks.
    decltype(make()) made{};
    if (there) {
        made = make();
        EXPECT_EQ(::setns(own, CLONE_NEWNET), 0);
    }
    if (own >= 0) ::close(own);
    if (peer >= 0) ::close(peer);
    return made;
}
