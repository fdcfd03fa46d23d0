#include "windows/outil_mac.h"

#include "net/twin.h"
#include "shell/scores.h"
#include "windows/game.h"
#include "windows/outilcontain.h"

namespace wnd {

Outil_Mac::Outil_Mac(fw::Window* parent) : DrawerWindow(parent) {
    setWindowTitle(QStringLiteral("Communication"));
    setFixedSize(312, 326);
    tools_ = new OutilContain(this);
    tools_->move(0, -11);
    tools_->GetLocalName = [this] { return Tools_GetLocalName(); };
    tools_->NewChatMessage = [this](const QString& line) { Tools_NewChatMessage(line); };
    tools_->NewScoreName = [this](std::int32_t score, const QString& name) { Tools_NewScoreName(score, name); };
}

QString Outil_Mac::Tools_GetLocalName() { return ::game().type; }

void Outil_Mac::Tools_NewChatMessage(const QString& line) { twin().SendMessage(line); }

void Outil_Mac::Tools_NewScoreName(std::int32_t score, const QString& name) {
    ::scores().AddScore(name, score);
    ::scores().SetVisible(true);
}

}  // namespace wnd
