#pragma once
// The plug-in's avahi thread: the one connection to the DNS-SD daemon (avahi-daemon over the
// system bus), and on it the searches, resolutions and advertisements the GUI objects wish for
// (plugin/mailbox.h). It runs its own event loop (an AvahiSimplePoll) and makes every call into
// libavahi-client there, blocking as those calls may be.
//
// The connection is made at once; a daemon that is not there yet is waited for, one that goes
// away is waited for again, and a system bus that cannot be reached is tried again every few
// seconds. Searches run over IPv4 only; each service found is resolved to an IPv4 address, for
// 5.0 s. Advertisements go out while the daemon runs with its host name established, and again
// after it comes back.
#include "plugin/mailbox.h"

#include <memory>

namespace bonjour {

// A found service is resolved for this long.
constexpr int kResolveMs = 5000;
// Found services being resolved at once, at most (the list the program reads holds as many).
constexpr std::size_t kMaxResolving = 512;
// Attempts at a free name when the name is taken, before giving up with an error.
constexpr int kMaxRenames = 32;

// The thread's body: runs until the mailbox asks it to quit, lets go of everything it made on the
// daemon, then marks the mailbox ended.
void RunDaemonThread(std::shared_ptr<Mailbox> box);

}  // namespace bonjour
