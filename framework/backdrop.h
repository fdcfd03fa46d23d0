#pragma once
// A control that lies over another without covering every pixel of its rectangle (a line edit's
// rounded corners) makes Qt repaint what lies beneath at each of its own repaints, a blinking
// caret's included. PaintOver makes the control paint, under its own picture, what `beneath`
// shows there (drawn once, again when either of them moves or changes size or look), so that it
// covers its whole rectangle and its repaints stop at it.
class QWidget;

namespace fw {

void PaintOver(QWidget& control, QWidget& beneath);

}  // namespace fw
