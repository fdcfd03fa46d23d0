#pragma once
// Exceptions never cross Qt's event loop: every place where the framework hands control to
// program code (an event, a timer tick, a menu command, a socket notification) runs it through
// Guard, which reports an escaping exception and lets the program go on.
#include <exception>
#include <stdexcept>
#include <string>

namespace fw {

// Raised when program code uses an object that does not exist.
class NilObjectException : public std::runtime_error {
public:
    explicit NilObjectException(const std::string& what = "nil object") : std::runtime_error(what) {}
};

// Prints the exception with the event that raised it on stderr.
void ReportUnhandled(const char* event, const char* what) noexcept;

// Dereferences p, or raises NilObjectException when it is null.
template <class T>
T& Deref(T* p, const char* what = "nil object") {
    if (!p) throw NilObjectException(what);
    return *p;
}

template <class F>
void Guard(const char* event, F&& f) noexcept {
    try {
        f();
    } catch (const std::exception& e) {
        ReportUnhandled(event, e.what());
    } catch (...) {
        ReportUnhandled(event, "unknown exception");
    }
}

// As Guard, for handlers that answer a value; an exception answers fallback.
template <class R, class F>
R GuardValue(const char* event, R fallback, F&& f) noexcept {
    try {
        return f();
    } catch (const std::exception& e) {
        ReportUnhandled(event, e.what());
    } catch (...) {
        ReportUnhandled(event, "unknown exception");
    }
    return fallback;
}

}  // namespace fw
