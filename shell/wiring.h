#pragma once
// What the application object asks of the other windows, one call each.
#include <cstdint>

namespace shell {

// The computer player's window, created hidden with the player it hosts.
void OpenComputerPlayerHidden();
// The hub window, shown as the start-up splash.
void ShowHub();
// Hosts a game with the user's colour and lets the computer player join it over loopback.
void StartGameAgainstComputer(std::int32_t colour);
void ShowNewGameDialog();
void ShowHelp();
void ShowAbout();
void ShowOwnAddress();
// The end-of-game jingle: won or lost.
void PlayEndSound(bool won);

}  // namespace shell
