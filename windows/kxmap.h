#pragma once
// The board canvas lives with the sprites; the windows reach it by this name too.
#include "sprites/kxmap.h"
