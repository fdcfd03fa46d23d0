#pragma once
// One playing token. The board model holds them through game/jeton_fwd.h.
#include "game/jeton_fwd.h"
#include "sprites/sprite.h"

class Jeton : public SMSprite {};
