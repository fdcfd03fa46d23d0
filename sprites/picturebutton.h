#pragma once
// A button drawn from pictures, shaped by its picture's mask. The owner gives two sources
// (plain and selected); the button makes a hover look (lighter) and a pushed look (darker)
// of each when it opens, and shows a look by making it its backdrop.
#include <functional>
#include <memory>

#include "framework/canvas.h"

class PictureButton : public fw::Canvas {
    Q_OBJECT
public:
    enum Look { Normal, Hover, Pushed };

    explicit PictureButton(QWidget* parent = nullptr);

    std::function<void()> onAction;
    std::function<std::shared_ptr<fw::Picture>()> onInitPicture;
    // Without it the selected set looks like the plain one.
    std::function<std::shared_ptr<fw::Picture>()> onInitSelPicture;

    bool Active() const { return selected_; }
    void SetActive(bool b);

    // On the button: inside the picture and on a pure black pixel of its mask.
    bool IsOn(int x, int y) const;

    std::shared_ptr<fw::Picture> LookPicture(Look look, bool selected) const;
    bool PointerOn() const { return mon_; }

    // The mouse events, as the canvas delivers them.
    bool MouseDown(int x, int y) { return Event_MouseDown(x, y); }
    void MouseDrag(int x, int y) { Event_MouseDrag(x, y); }
    void MouseUp(int x, int y) { Event_MouseUp(x, y); }
    void MouseMove(int x, int y) { Event_MouseMove(x, y); }
    void MouseExit() { Event_MouseExit(); }

protected:
    void Event_Open() override;
    bool Event_MouseDown(int x, int y) override;
    void Event_MouseDrag(int x, int y) override;
    void Event_MouseUp(int x, int y) override;
    void Event_MouseMove(int x, int y) override;
    void Event_MouseExit() override;

private:
    // Makes the look of the current selection the backdrop; the second skips it when shown.
    void Show(Look look);
    void ShowUnlessShown(Look look);

    std::shared_ptr<fw::Picture> p_, pOn_, pPush_;
    bool mon_ = false;
    std::shared_ptr<fw::Picture> pr_, pOnr_, pPushr_;
    bool selected_ = false;
};
