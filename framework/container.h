#pragma once
// A container control: a reusable group of controls, designed at its own size, placed on a window
// like any control. It opens once, when its window opens: first the canvases and containers inside
// it, then itself (Event_Open, which by default raises the instance's onOpen).
#include <QWidget>

#include <functional>

namespace fw {

class ContainerControl : public QWidget {
    Q_OBJECT
public:
    explicit ContainerControl(QWidget* parent = nullptr);

    // The Open event of this instance, for the window that holds it.
    std::function<void()> onOpen;

    void Open();

protected:
    virtual void Event_Open();

private:
    bool opened_ = false;
};

// Opens the controls below root that open with their window: each container that is not inside
// another container (which opens its own), in creation order.
void OpenControls(QWidget* root);

}  // namespace fw
