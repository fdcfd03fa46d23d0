#include "framework/guard.h"

#include <cstdio>

namespace fw {

void ReportUnhandled(const char* event, const char* what) noexcept {
    std::fprintf(stderr, "quorril: unhandled exception in %s: %s\n", event ? event : "?", what ? what : "?");
    std::fflush(stderr);
}

}  // namespace fw
