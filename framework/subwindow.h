#pragma once
// The frame a program window has in the frame's area, as window.cpp makes it and the
// accessibility adapter (windowaccess.cpp) recognises it. Private to the framework.
#include <QMdiSubWindow>

class QStyle;

namespace fw::detail {

// The frame of a window in the area. A panel's has no title bar, border or boxes, and coming on
// screen does not make it the active sub-window, as it does for the others.
class SubWindow : public QMdiSubWindow {
public:
    explicit SubWindow(bool panel) : QMdiSubWindow(nullptr, panel ? Qt::SubWindow | Qt::FramelessWindowHint : Qt::SubWindow), panel_(panel) {}
    bool IsPanel() const { return panel_; }

protected:
    void showEvent(QShowEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // After the user moved the frame (a title-bar drag, or the keys of the system menu's move),
    // brings back what left the area's view of its title bar.
    void keepTitleBarInReach(const QRect& before);

    const bool panel_;
};

// The style of the document frames (not the panels'), kept for the whole run.
QStyle* SubWindowStyle();

// The sub-window's own menu binds Ctrl+W, Ctrl+F4 and others, which would shadow the program's
// menu items (Ctrl+W is « Fermer »): its entries stay, without their keys.
void DropSystemMenuKeys(QMdiSubWindow* sub);

}  // namespace fw::detail
