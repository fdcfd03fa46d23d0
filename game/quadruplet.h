// The winning line reported by KxMapGest::HaveWinner: its colour and the tokens that form it.
#pragma once

#include <cstdint>

#include "game/jeton_fwd.h"

class Quadruplet {
public:
    Quadruplet() = default;
    // Colour first, then the seven tokens in line order (the field order differs).
    Quadruplet(std::int32_t colKind_, JetonRef id1, JetonRef id2, JetonRef id3, JetonRef id4,
               JetonRef id5, JetonRef id6, JetonRef id7)
        : ID1(std::move(id1)), ID2(std::move(id2)), ID3(std::move(id3)), ID4(std::move(id4)),
          colKind(colKind_), ID5(std::move(id5)), ID6(std::move(id6)), ID7(std::move(id7)) {}

    JetonRef ID1;
    JetonRef ID2;
    JetonRef ID3;
    JetonRef ID4;
    std::int32_t colKind = 0;
    // Tokens continuing the line beyond the four; null when the line is not that long.
    JetonRef ID5;
    JetonRef ID6;
    JetonRef ID7;  // horizontal lines only
};
