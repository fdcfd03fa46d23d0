#include "shell/wiring.h"

#include "framework/sound.h"
#include "game/ia.h"
#include "net/twin.h"
#include "net/winip.h"
#include "sprites/resources.h"

#include "framework/guard.h"

namespace shell {

void OpenComputerPlayerHidden() { ia().SetVisible(false); }
void ShowHub() { twin().Show(); }
void StartGameAgainstComputer(std::int32_t colour) {
    twin().LaunchServer(colour);
    fw::Deref(ia().Control<wnd::ComIA>(QStringLiteral("ComIA")), "ComIA").Launch(net::kGamePort, QStringLiteral("127.0.0.1"));
}
void ShowNewGameDialog() {}
void ShowHelp() {}
void ShowAbout() {}
void ShowOwnAddress() { WinIP().Show(); }
void PlayEndSound(bool won) {
    if (auto sound = won ? winner() : loser()) sound->Play();
}

}  // namespace shell
