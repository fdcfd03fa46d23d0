#pragma once
// The modal message box: a dialog over the frame that waits for its OK, running the event loop
// meanwhile (sockets and timers go on). It belongs to the frame, never to the window that asked
// for it, so whatever closes that window meanwhile leaves the box alone; the caller must not take
// it for granted that its window still exists when MsgBox returns.
#include <QString>

namespace fw {

void MsgBox(const QString& text);

// How many message boxes the program has shown.
int MsgBoxCount();

}  // namespace fw
