#include "game/iaclassengine.h"

#include <cmath>
#include <random>

#include "game/game_messages.h"
#include "game/ia_search.h"
#include "game/ia_texts.h"

namespace quorril::game {

double DefaultRandom() {
    static std::mt19937_64 generator{std::random_device{}()};
    static std::uniform_real_distribution<double> uniform(0.0, 1.0);
    return uniform(generator);
}

}  // namespace quorril::game

namespace {

constexpr std::int32_t kRootDepth = 3;

std::string Num(std::int32_t v) { return std::to_string(v); }

// Colours are negated throughout the search; keep that defined for any value a caller sets.
std::int32_t Negatable(std::int32_t colour) {
    return colour == std::numeric_limits<std::int32_t>::min() ? -std::numeric_limits<std::int32_t>::max() : colour;
}

}  // namespace

IAClassEngine::IAClassEngine() : rnd_(quorril::game::DefaultRandom) { rootValues_.fill(kNotSearched); }

void IAClassEngine::SetDebugList(IADebugList list) { ListDebug = std::move(list); }

void IAClassEngine::SetHost(IAEngineHost host) { host_ = std::move(host); }

void IAClassEngine::SetRandom(quorril::game::RandomSource rnd) {
    rnd_ = rnd ? std::move(rnd) : quorril::game::RandomSource(quorril::game::DefaultRandom);
}

void IAClassEngine::SetColor(std::int32_t colour, bool isServer) {
    if (isServer) {
        CouleurServeur = Negatable(colour);
    } else {
        CouleurIA = Negatable(colour);
    }
}

void IAClassEngine::NewGame() {
    EndedGame = false;
    GridM.Init();
}

std::string IAClassEngine::AdvResponce(const std::string& line) const { return quorril::game::ChatReplyFor(line); }

void IAClassEngine::AdvPlaceJeton(std::int32_t column) {
    if (EndedGame) return;
    if (!GridM.PlaceJeton(column, CouleurServeur)) return;
    if (GridM.HaveWinner()) {
        SendMessage("perdu");
        EndedGame = true;
        return;
    }
    if (GridM.IsFullGame()) {
        EndedGame = true;
        return;
    }
    IAMotor();
}

void IAClassEngine::IAMotor() {
    if (GridM.IsFullGame()) return;
    if (Level == 1) {
        IA_Level1();
    } else if (Level == 2) {
        IA_Level2();
    } else {
        IA_Level3();
    }
}

void IAClassEngine::GiveMyJeton(std::int32_t column) {
    GridM.PlaceJeton(column, CouleurIA);
    if (host_.Send) host_.Send(quorril::game::MovePayload(column, CouleurIA));
}

void IAClassEngine::b_Debug(const std::string& text) {
    if (!ListDebug.AddRow) return;
    if (!host_.IsVisible || !host_.IsVisible()) return;
    ListDebug.AddRow(text);
}

void IAClassEngine::b_Clean() {
    if (ListDebug.DeleteAllRows) ListDebug.DeleteAllRows();
}

void IAClassEngine::SendMessage(const std::string& kind) {
    if (host_.MessagesEnabled && !host_.MessagesEnabled()) return;
    const auto list = quorril::game::TauntList(kind);
    const std::string text = list.empty() ? kind : std::string(list[PickIndex(list.size())]);
    if (host_.Send) host_.Send(quorril::game::ChatPayload(text));
}

double IAClassEngine::Rnd() { return rnd_(); }

std::size_t IAClassEngine::PickIndex(std::size_t n) {
    const double x = Rnd() * static_cast<double>(n - 1);
    if (!(x > 0.0)) return 0;
    const auto i = static_cast<std::size_t>(std::llround(std::fmin(x, static_cast<double>(n - 1))));
    return i < n ? i : n - 1;
}

bool IAClassEngine::WinOrBlock(bool trace) {
    KxMapGest scratch;
    std::int32_t column = 0;

    if (trace) b_Debug("Begin Etape 1");
    scratch.CopyFrom(GridM);
    if (scratch.CanGamerWin(CouleurIA, column)) {
        GiveMyJeton(column);
        if (trace) b_Debug("Etape 1, give jeton in " + Num(column));
        SendMessage("gagne");
        return true;
    }

    if (trace) b_Debug("Begin Etape 2");
    scratch.CopyFrom(GridM);
    if (scratch.CanGamerWin(CouleurServeur, column)) {
        GiveMyJeton(column);
        if (trace) b_Debug("Etape 2, give jeton in " + Num(column));
        scratch.PlaceJeton(column, CouleurIA);
        if (!scratch.CanGamerWin(CouleurServeur)) SendMessage("evite");
        return true;
    }
    return false;
}

void IAClassEngine::IA_Level1() {
    if (WinOrBlock(false)) return;

    std::vector<std::int32_t> free;
    for (std::int32_t c = 0; c <= 6; ++c) {
        if (!GridM.IsFullColumn(c)) free.push_back(c);
    }
    if (free.empty()) return;
    const double x = std::floor(Rnd() * static_cast<double>(free.size()));
    std::size_t i = x > 0.0 ? static_cast<std::size_t>(std::fmin(x, static_cast<double>(free.size() - 1))) : 0;
    GiveMyJeton(free[i]);
}

std::int32_t IAClassEngine::GetMaxKeyIAPos(std::vector<KeyIA>& list) {
    if (list.empty()) return 0;
    std::int32_t best = 0;
    for (const KeyIA& k : list) {
        if (k.cnt > best) best = k.cnt;
    }
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].t_ind = static_cast<std::int32_t>(i);
        if (list[i].cnt == best) candidates.push_back(i);
    }
    if (candidates.empty()) candidates.push_back(0);
    const KeyIA chosen = list[candidates[PickIndex(candidates.size())]];
    list.erase(list.begin() + chosen.t_ind);
    return chosen.key;
}

void IAClassEngine::IA_Level2() {
    KxMapGest scratch;
    b_Clean();

    if (WinOrBlock(true)) return;

    b_Debug("Begin Etape 3");
    scratch.CopyFrom(GridM);
    std::vector<std::int32_t> threes;
    for (std::int32_t c = 0; c <= 6; ++c) {
        if (scratch.PlaceJeton(c, CouleurServeur) && scratch.GetMaxJetonInPlace(c, CouleurServeur) == 3) {
            b_Debug("Etape 3, adv can make 3 jeton in " + Num(c));
            scratch.CopyFrom(GridM);
            scratch.PlaceJeton(c, CouleurIA);
            if (!scratch.CanGamerWin(CouleurServeur)) threes.push_back(c);
        }
        scratch.CopyFrom(GridM);
    }
    if (!threes.empty()) {
        const std::int32_t c = threes[PickIndex(threes.size())];
        GiveMyJeton(c);
        b_Debug("Etape 3, give jeton in " + Num(c));
        return;
    }

    b_Debug("Begin Etape 4");
    scratch.CopyFrom(GridM);
    for (std::int32_t c = 0; c <= 6; ++c) {
        scratch.PlaceJeton(c, CouleurIA);
        if (scratch.CanGamerWin(CouleurIA) && !scratch.CanGamerWin(CouleurServeur)) {
            b_Debug("Etape 4, give jeton in " + Num(c));
            GiveMyJeton(c);
            return;
        }
        scratch.CopyFrom(GridM);
    }

    b_Debug("Begin Etape 5");
    scratch.CopyFrom(GridM);
    std::vector<KeyIA> list;
    for (std::int32_t c = 0; c <= 6; ++c) {
        if (scratch.PlaceJeton(c, CouleurIA)) {
            const std::int32_t cnt = scratch.GetMaxJetonInPlace(c, CouleurIA);
            list.emplace_back(c, cnt);
            b_Debug("Etape 5, can give jeton in " + Num(c) + " for max " + Num(cnt) + " aligned jetons");
        }
        scratch.CopyFrom(GridM);
    }
    if (list.empty()) return;

    bool servCanWin = true;
    std::int32_t pos = list.front().key;
    while (servCanWin && list.size() >= 2) {
        pos = GetMaxKeyIAPos(list);
        b_Debug("Etape 5 : try position " + Num(pos));
        scratch.PlaceJeton(pos, CouleurIA);
        servCanWin = scratch.CanGamerWin(CouleurServeur);
        scratch.CopyFrom(GridM);
    }
    if (servCanWin && list.size() == 1) pos = list.front().key;
    b_Debug("Etape 5, give jeton in " + Num(pos) + " with serv can win=" + b2s(servCanWin) +
            " and ubound=" + Num(static_cast<std::int32_t>(list.size()) - 1));
    GiveMyJeton(pos);
}

std::int32_t IAClassEngine::ValeurPosition(KxMapGest& board, std::int32_t colour) {
    std::int32_t score = 0;
    for (std::int32_t c = 0; c <= 6; ++c) {
        if (board.PlaceJeton(c, colour)) {
            bool open = false;
            const std::int32_t n = board.GetMaxJetonInPlace(c, colour, open);
            score += quorril::game::LineTier(n, open);
            board.RemoveJeton(c);
        }
        if (board.PlaceJeton(c, -colour)) {
            bool open = false;
            const std::int32_t n = board.GetMaxJetonInPlace(c, -colour, open);
            score -= quorril::game::LineTier(n, open);
            board.RemoveJeton(c);
        }
    }
    return score;
}

std::int32_t IAClassEngine::Min_Max(KxMapGest& board, std::int32_t colour, std::int32_t depth, std::int32_t bound) {
    std::int32_t best = quorril::game::kSearchStart;
    bool any = false;
    for (std::int32_t c = 0; c <= 6; ++c) {
        if (board.IsFullColumn(c)) continue;
        any = true;
        board.PlaceJeton(c, colour);
        if (board.HaveWinner(colour)) {
            board.RemoveJeton(c);
            return quorril::game::kSearchWin;
        }
        const std::int32_t val =
            depth <= 0 ? ValeurPosition(board, colour) : -Min_Max(board, -colour, depth - 1, -best);
        board.RemoveJeton(c);
        if (val > best) {
            best = val;
            if (val >= bound) return val;
        }
    }
    // No free column: the game is drawn.
    return any ? best : 0;
}

void IAClassEngine::IA_Level3() {
    KxMapGest scratch;
    b_Clean();
    rootValues_.fill(kNotSearched);
    searchNodes_ = 0;

    if (WinOrBlock(false)) return;

    std::int32_t best = quorril::game::kSearchStart;
    std::int32_t chosen = 0;
    // Ties go to the coin: the column found first stays when the draw is below one half.
    auto consider = [&](std::int32_t c, std::int32_t v) {
        rootValues_[c] = v;
        if (v == best) {
            if (Rnd() >= 0.5) chosen = c;
        } else if (v > best) {
            best = v;
            chosen = c;
        }
    };
    const bool fast = (CouleurIA == 1 || CouleurIA == -1) && CouleurServeur == -CouleurIA &&
                      quorril::game::SearchBoard::Accepts(GridM);
    if (fast) {
        quorril::game::SearchBoard board(GridM);
        for (std::int32_t c = 0; c <= 6; ++c) {
            if (board.IsFullColumn(c)) continue;
            ++board.nodes;
            board.Place(c, CouleurIA);
            consider(c, -board.MinMax(-CouleurIA, kRootDepth, -best));
            board.Remove(c);
        }
        searchNodes_ = board.nodes;
    } else {
        for (std::int32_t c = 0; c <= 6; ++c) {
            scratch.CopyFrom(GridM);
            if (scratch.IsFullColumn(c)) continue;
            scratch.PlaceJeton(c, CouleurIA);
            consider(c, -Min_Max(scratch, -CouleurIA, kRootDepth, -best));
            scratch.RemoveJeton(c);
        }
    }
    b_Debug("IA reflexion = " + Num(chosen));

    scratch.CopyFrom(GridM);
    scratch.PlaceJeton(chosen, CouleurIA);
    const bool rejected = GridM.IsFullColumn(chosen) || scratch.CanGamerWin(CouleurServeur);
    if (!rejected) {
        b_Debug("Place jeton at  " + Num(chosen));
        GiveMyJeton(chosen);
        return;
    }

    b_Debug("Colomn full or bad reflexion, try an other place");
    for (std::int32_t c = 0; c <= 6; ++c) {
        if (GridM.IsFullColumn(c)) continue;
        scratch.CopyFrom(GridM);
        scratch.PlaceJeton(c, CouleurIA);
        if (!scratch.CanGamerWin(CouleurServeur)) {
            b_Debug("Colomn chosed = " + Num(c));
            GiveMyJeton(c);
            return;
        }
    }

    b_Debug("Colomn full or bad reflexion and there is no ideal place, try the first place");
    for (std::int32_t c = 0; c <= 6; ++c) {
        if (GridM.IsFullColumn(c)) continue;
        b_Debug("Colomn chosed = " + Num(c));
        GiveMyJeton(c);
        return;
    }
}
