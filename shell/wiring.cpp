#include "shell/wiring.h"

namespace shell {

void OpenComputerPlayerHidden() {}
void ShowHub() {}
void StartGameAgainstComputer(std::int32_t) {}
void ShowNewGameDialog() {}
void ShowHelp() {}
void ShowAbout() {}
void ShowOwnAddress() {}
void PlayEndSound(bool) {}

}  // namespace shell
