#pragma once
// The drawer "Communication" beside the game window: it holds the tools panel and connects the
// panel's events to the game window, the hub and the high-score window.
#include "windows/drawerwindow.h"

class OutilContain;

namespace wnd {

class Outil_Mac : public DrawerWindow {
    Q_OBJECT
public:
    explicit Outil_Mac(fw::Window* parent);

    OutilContain* Tools() const { return tools_; }

    QString Tools_GetLocalName();
    void Tools_NewChatMessage(const QString& line);
    void Tools_NewScoreName(std::int32_t score, const QString& name);

private:
    OutilContain* tools_;
};

}  // namespace wnd
