#pragma once
// A control with a backing image. Program code draws into it at any moment (timer ticks,
// mouse events); the paint event only copies it to the screen, so nothing is lost between
// paints and nothing has to be drawn inside one.
#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

#include "framework/graphics.h"
#include "framework/picture.h"

namespace fw {

class Canvas : public QWidget {
    Q_OBJECT
public:
    explicit Canvas(QWidget* parent = nullptr);
    ~Canvas() override;

    // Draws straight into the backing image, which follows the control's size.
    fw::Graphics& Graphics();
    const QImage& BackingImage();

    // The picture shown as the control's content, through its mask.
    std::shared_ptr<Picture> Backdrop() const { return backdrop_; }
    virtual void SetBackdrop(std::shared_ptr<Picture> p);

    // Runs Event_Open once; showing the control the first time does it too.
    void Open();

protected:
    virtual void Event_Open() {}
    // Drawing here goes into the backing image; most controls draw elsewhere and leave it empty.
    virtual void Event_Paint(fw::Graphics& g) { (void)g; }
    // Answering true gives this control the drag and the release of the press.
    virtual bool Event_MouseDown(int x, int y) { (void)x, (void)y; return false; }
    virtual void Event_MouseDrag(int x, int y) { (void)x, (void)y; }
    virtual void Event_MouseUp(int x, int y) { (void)x, (void)y; }
    virtual void Event_MouseMove(int x, int y) { (void)x, (void)y; }
    virtual void Event_MouseExit() {}

    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

    // Marks the control opaque while its backdrop covers it (after the backdrop changes).
    void UpdateOpacity();
    // Runs draw, whose drawing asks for no repaint of its own, then puts region on the screen
    // at once: an animation step costs one pass of the event loop, not two.
    void DrawThenShow(const std::function<void()>& draw, const QRegion& region);

    std::shared_ptr<Picture> backdrop_;

private:
    void FitBacking();

    QImage backing_;
    fw::Graphics graphics_;
    bool opened_ = false;
    bool pressed_ = false;
    bool painting_ = false;
};

}  // namespace fw
