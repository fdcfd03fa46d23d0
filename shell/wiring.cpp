#include "shell/wiring.h"

#include "framework/sound.h"
#include "sprites/resources.h"

namespace shell {

void OpenComputerPlayerHidden() {}
void ShowHub() {}
void StartGameAgainstComputer(std::int32_t) {}
void ShowNewGameDialog() {}
void ShowHelp() {}
void ShowAbout() {}
void ShowOwnAddress() {}
void PlayEndSound(bool won) {
    if (auto sound = won ? winner() : loser()) sound->Play();
}

}  // namespace shell
