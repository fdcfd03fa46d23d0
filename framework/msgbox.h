#pragma once
// The modal message box: a modal dialog frame in the frame's area (centred, above the other
// windows, with a title and a close box) that waits for its OK, running the event loop meanwhile
// (sockets and timers go on; the user's input reaches the box alone). It belongs to the frame,
// never to the window that asked for it, so whatever closes that window meanwhile leaves the box
// alone; the caller must not take it for granted that its window still exists when MsgBox
// returns. The box is the QMessageBox named "MsgBox".
#include <QString>

namespace fw {

void MsgBox(const QString& text);

// How many message boxes the program has shown.
int MsgBoxCount();

// Whether a message box waits for its answer now.
bool MsgBoxWaiting();

}  // namespace fw
