#pragma once
// The preferences window: six settings read from the store when it opens and written back at
// every close. It never writes the file.
#include "shell/closablewin.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace wnd {

class pref : public shell::ClosableWin {
    Q_OBJECT
public:
    pref();

    void AddMenuHandlers() override;
    void Event_Open() override;
    void Event_Close() override;

    void CheckBox2_Open();
    void PopupMenu1_Open();
    void CheckBox2_Action();

private:
    QLabel* StaticText4 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QComboBox* PopupMenu1 = nullptr;
    QComboBox* PopupMenu2 = nullptr;
};

}  // namespace wnd

// The open preferences window, or a new one.
wnd::pref& pref();
