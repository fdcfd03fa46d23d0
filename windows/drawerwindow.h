#pragma once
// A window shown as a drawer of a parent window. Linux has no drawers: the drawer is a panel of
// the frame's area (a sub-window without title bar, frame or boxes), glued to one side of its
// parent's frame. It takes the preferred edge when the area has room there and the opposite one
// otherwise, moves, hides, minimises and comes to the front with the parent, is never the
// active window itself (working in it leaves the parent active), and counts as the parent for
// the menus. Only its parent's owner (or the program) closes it.
#include "framework/window.h"

#include <QPointer>

#include <cstdint>
#include <functional>

namespace wnd {

class DrawerWindow : public fw::Window {
    Q_OBJECT
public:
    // Platform values of edges and states.
    enum Edge : std::int32_t { EdgeDefault = 0, EdgeTop = 1, EdgeLeft = 2, EdgeBottom = 4, EdgeRight = 8 };
    enum State : std::int32_t { StateOpening = 1, StateOpen = 2, StateClosing = 3, StateClosed = 4 };

    // Attaches the drawer, closed, to parent; a null parent raises NilObjectException.
    explicit DrawerWindow(fw::Window* parent);

    // The edge at which the drawer is open, or would open now.
    std::int32_t CurrentEdge();
    bool IsClosed() const { return state_ == StateClosed; }
    void SetLeadingOffset(std::int32_t v);
    std::int32_t LeadingOffset() const { return leading_; }
    void SetTrailingOffset(std::int32_t v);
    std::int32_t TrailingOffset() const { return trailing_; }
    void SetPreferredEdge(std::int32_t e);
    std::int32_t PreferredEdge() const { return preferred_; }
    fw::Window* Parent() const;
    // Opens a closed drawer, closes an open one (unless DrawerClosing refuses).
    void Toggle();

    // The drawer's events; an event without a handler does nothing (DrawerClosing answers false).
    std::function<void()> DrawerOpening, DrawerOpened, DrawerClosed;
    std::function<bool()> DrawerClosing;
    std::function<void(const QString& call, std::int32_t code)> MacOSError;

    void HandleOpeningEvent();
    void HandleOpenedEvent();
    bool HandleClosingEvent();
    void HandleClosedEvent();

    fw::Window* MenuWindow() override;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    // Whether the parent is on screen and not minimised, so an open drawer shows.
    bool parentShown() const;
    void place();
    void track();
    void follow();
    void stackAboveParent();

    // Held as plain objects: the parent and its frame send events while they are destroyed,
    // when they no longer are what they were; parentWindow() answers nullptr then.
    fw::Window* parentWindow() const;
    QPointer<QObject> a_parent;
    QPointer<QObject> parentHost_;
    std::int32_t state_ = StateClosed;
    std::int32_t leading_ = 0;
    std::int32_t trailing_ = 0;
    std::int32_t preferred_ = EdgeDefault;
    std::int32_t edge_ = EdgeRight;
};

}  // namespace wnd
