#pragma once
// The help window: the rules of the game and how to set up each kind of game, as two fixed texts
// in two framed groups.
#include "shell/closablewin.h"

#include <QString>

class QGroupBox;
class QLabel;
class QPlainTextEdit;

namespace wnd {

class help : public shell::ClosableWin {
    Q_OBJECT
public:
    help();

    void AddMenuHandlers() override;

    // The two texts as they are kept, a carriage return between lines; the controls show each
    // carriage return as a line break.
    static QString RulesText();
    static QString SetupText();

    QGroupBox* GroupBox1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPlainTextEdit* EditField1 = nullptr;
};

}  // namespace wnd

// The open help window, or a new one.
wnd::help& help();
