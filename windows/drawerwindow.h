#pragma once
// A window shown as a drawer of a parent window. Linux has no drawers: the drawer is a tool
// window that stands against the parent's right edge (a left-edge drawer of a window at the
// screen's left border would lie off screen), moves and hides with the parent, opens without
// taking the keyboard focus from it, and counts as the parent for the menus.
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
    ~DrawerWindow() override;

    std::int32_t CurrentEdge() const;
    bool IsClosed() const { return state_ == StateClosed; }
    void SetLeadingOffset(std::int32_t v);
    std::int32_t LeadingOffset() const { return leading_; }
    void SetTrailingOffset(std::int32_t v);
    std::int32_t TrailingOffset() const { return trailing_; }
    void SetPreferredEdge(std::int32_t e) { preferred_ = e; }
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
    void place();

    QPointer<fw::Window> a_parent;
    std::int32_t state_ = StateClosed;
    std::int32_t leading_ = 0;
    std::int32_t trailing_ = 0;
    std::int32_t preferred_ = EdgeDefault;
};

}  // namespace wnd
