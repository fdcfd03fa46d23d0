#pragma once
// What program code asks of the machine beyond windows and drawing: the time in microseconds,
// the keyboard's state at this moment, and opening a web or mail address with the user's
// own programs.
#include <QString>

#include <functional>

namespace fw {

// Microseconds since the program started, from a clock that never goes back.
double Microseconds();

namespace Keyboard {
// Whether the Alt key (the Option key of the design) is held right now, not when the last event
// was queued.
bool AsyncAltKey();
// Replaces how the state is read (tests hold the key this way); an empty function restores the
// platform's. Answers the one it replaces.
std::function<bool()> SetAltKeySource(std::function<bool()> source);
}  // namespace Keyboard

// Hands a web address ("http://...") or a mail address ("mailto:...") to the desktop, which opens
// it with the user's browser or mail program. Returns at once.
void ShowURL(const QString& url);
// Replaces what ShowURL does (tests catch the addresses this way and start no program); an empty
// function restores the desktop's. Answers the one it replaces.
std::function<void(const QString&)> SetURLHandler(std::function<void(const QString&)> handler);

}  // namespace fw
