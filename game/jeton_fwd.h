// Token sprites are owned by the board canvas; the rules only hold references to them.
//
// Naming: the rule classes (KxMapGest, Quadruplet, KeyIA, IAClassEngine) and Jeton live in
// the global namespace, since every subsystem refers to them by those names; helpers that
// only the rules and the computer player's window need live in namespace quorril::game.
#pragma once

#include <memory>

class Jeton;

using JetonRef = std::shared_ptr<Jeton>;
