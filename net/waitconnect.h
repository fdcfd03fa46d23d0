#pragma once
// The connection-progress window: tells that a game waits for its guest or is connecting to
// its host; "Annuler" gives up and stops all networking.
#include "framework/window.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace wnd {

class waitconnect : public fw::Window {
    Q_OBJECT
public:
    waitconnect();

    QLabel* StaticText1;
    QProgressBar* ProgressBar1;
    QPushButton* PushButton1;

    void SetStatus(const QString& text);
    QString Status() const;
    void PushButton1_Action();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

class waitconnect& waitconnect();

}  // namespace wnd

using wnd::waitconnect;
