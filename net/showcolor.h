#pragma once
// The colour notice: a guest learns which colour the host took and which one that leaves it.
#include "framework/window.h"

#include <cstdint>

class QLabel;
class QPushButton;

namespace fw {
class Canvas;
}

namespace wnd {

class showcolor : public fw::Window {
    Q_OBJECT
public:
    showcolor();

    QLabel* StaticText1;
    fw::Canvas* Canvas1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    fw::Canvas* Canvas2;
    QLabel* StaticText4;
    QPushButton* PushButton1;

    // Fills the window for a player whose own colour is own (+1 blue; anything else yellow).
    void ShowTheColor(std::int32_t own);
    void PushButton1_Action();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

class showcolor& showcolor();

}  // namespace wnd

using wnd::showcolor;
