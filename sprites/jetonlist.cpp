#include "sprites/jetonlist.h"

#include "sprites/resources.h"

std::shared_ptr<fw::Picture> GetPictWithGamer(int colour, const QString& kind) {
    auto pic = std::make_shared<fw::Picture>(70, 70);
    const bool dim = kind == QLatin1String("sombre");
    std::shared_ptr<fw::Picture> face;
    if (colour == -1) face = dim ? jaunePush() : jaune();
    else if (colour == 1) face = dim ? bleuPush() : bleu();
    if (face) pic->Graphics().DrawPicture(*face, 0, 0);
    if (auto m = masque()) pic->Mask().Graphics().DrawPicture(*m, 0, 0);
    return pic;
}

JetonList::JetonList(int colour, bool light, const QString& side) : mycol_(colour) {
    int x = 0, offset = 0;
    if (side == QLatin1String("left")) {
        x = 7;
    } else if (side == QLatin1String("right")) {
        x = 563;
        offset = 1;
    }
    for (int i = 0; i < kCount; ++i) {
        auto t = std::make_shared<Jeton>();
        const bool lit = i == kCount - 1 && light;
        t->setImage(GetPictWithGamer(colour, lit ? QStringLiteral("clair") : QStringLiteral("sombre")));
        t->setX(x);
        t->setY(10 + 16 * i);
        t->setOrder(2 * i + offset);
        tabJeton_[i] = std::move(t);
    }
    actJeton_ = kCount - 1;
}

void JetonList::GlueOnMap(SMSpriteSurface& map) {
    for (const auto& t : tabJeton_) map.AddSprite(t);
}

std::shared_ptr<Jeton> JetonList::GiveJeton() {
    if (actJeton_ < 0) return nullptr;
    return tabJeton_[actJeton_--];
}

void JetonList::LightJeton() {
    if (actJeton_ >= 0) tabJeton_[actJeton_]->setImage(GetPictWithGamer(mycol_, QStringLiteral("clair")));
}

std::shared_ptr<Jeton> JetonList::GetActJeton() const {
    return actJeton_ < 0 ? nullptr : tabJeton_[actJeton_];
}

std::shared_ptr<Jeton> JetonList::GetJeton(int index) const {
    if (index < 0 || index > GetMaxID()) return nullptr;
    return tabJeton_[index];
}
