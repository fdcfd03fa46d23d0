#pragma once
// A rack of 21 tokens beside the board, handed out bottom of the stack first. The next token
// to play may be lit; the waiting ones are dim. The rack keeps every token alive for the
// game, also those already on the board.
#include <QString>

#include <array>
#include <memory>

#include "sprites/jeton.h"
#include "sprites/surface.h"

// A new 70 x 70 token picture with the token mask: kind "sombre" is the dim look, any other
// kind the lit one; a colour other than -1 and +1 gives a blank token.
std::shared_ptr<fw::Picture> GetPictWithGamer(int colour, const QString& kind);

class JetonList {
public:
    static constexpr int kCount = 21;

    // side "left" stands at x = 7 with even orders, "right" at x = 563 with odd ones,
    // anything else at x = 0 with even orders. light lights token 20.
    JetonList(int colour, bool light, const QString& side);
    virtual ~JetonList() = default;

    virtual void GlueOnMap(SMSpriteSurface& map);
    virtual std::shared_ptr<Jeton> GiveJeton();
    virtual void LightJeton();
    virtual std::shared_ptr<Jeton> GetActJeton() const;
    virtual std::shared_ptr<Jeton> GetJeton(int index) const;
    virtual int GetMaxID() const { return kCount - 1; }

    int Colour() const { return mycol_; }

private:
    std::array<std::shared_ptr<Jeton>, kCount> tabJeton_;
    int actJeton_ = kCount - 1;
    int mycol_;
};
