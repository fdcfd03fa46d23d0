#include "plugin/mailbox.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace bonjour {

Mailbox::Mailbox() {
    toDaemon = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    toGui = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Mailbox::~Mailbox() {
    if (toDaemon >= 0) ::close(toDaemon);
    if (toGui >= 0) ::close(toGui);
}

void Mailbox::Wake(int fd) {
    if (fd < 0) return;
    const std::uint64_t one = 1;
    // A counter that is full is awake already.
    [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
}

void Mailbox::Drain(int fd) {
    if (fd < 0) return;
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(fd, &count, sizeof count);
}

}  // namespace bonjour
