#pragma once
// What the framework's window files share and program code never sees: the lifecycle
// (window.cpp), the placement search (placement.cpp) and the activation order (activation.cpp).
#include <vector>

namespace fw {

class Window;

namespace detail {

// Every live program window, in creation order (kept by window.cpp).
std::vector<Window*>& Registry();

// Records w as the window activated last, for the menus and for the window that takes the
// active state when one goes (kept by activation.cpp).
void MarkFront(Window* w);

}  // namespace detail

}  // namespace fw
