// The computer player: keeps its own copy of the board, answers each opponent move at its
// level ("Facile" 1, "Moyen" 2, anything else "Difficile"), and talks in the chat.
//
// The engine knows nothing of windows or sockets. Its host (the computer player's window)
// connects it through IAEngineHost and IADebugList:
//   in:  SetColor (from "TCOL"), NewGame (connected, "NEWG"), Level (preference "difficulty"),
//        AdvPlaceJeton (the column of each "IPLA"), AdvResponce (the text of each "MESS").
//   out: IAEngineHost::Send with whole game messages for the host, in order: the move
//        "IPLA<column>#<colour>", then possibly a taunt "MESS<IA><text>"; reasoning lines
//        through IADebugList while IAEngineHost::IsVisible answers true.
// Everything runs synchronously inside the call that caused it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "game/kxmapgest.h"

namespace quorril::game {

// Every random draw of the computer player: a real uniform in [0, 1).
using RandomSource = std::function<double()>;
// Uniform in [0, 1) from one generator seeded once per process.
double DefaultRandom();

}  // namespace quorril::game

// One candidate column of level 2's last stage.
class KeyIA {
public:
    KeyIA() = default;
    KeyIA(std::int32_t key_, std::int32_t cnt_) : key(key_), cnt(cnt_) {}
    std::int32_t key = 0;
    std::int32_t cnt = 0;
    std::int32_t t_ind = 0;
};

// The reasoning log's list; an empty AddRow stands for no list.
struct IADebugList {
    std::function<void(const std::string&)> AddRow;
    std::function<void()> DeleteAllRows;
};

struct IAEngineHost {
    // A whole game message for the host (participant 0): "IPLA3#-1", "MESS<IA>Salut".
    std::function<void(const std::string&)> Send;
    // Whether the computer player's window is shown; log lines are dropped while hidden.
    std::function<bool()> IsVisible;
    // The preference "iaMessage" (true when unset): false silences every taunt.
    std::function<bool()> MessagesEnabled;
};

class IAClassEngine {
public:
    static constexpr std::int32_t kNotSearched = std::numeric_limits<std::int32_t>::min();

    IAClassEngine();

    // The opponent has played in column. Ignored once the game has ended, and when the
    // board refuses the column (outside 0..6 or full): a refused move is not answered.
    void AdvPlaceJeton(std::int32_t column);
    // A new game on the same connection: clears the board; colours and Level stay.
    void NewGame();
    void SetDebugList(IADebugList list);
    // isServer true sets the opponent's (host's) colour, false the computer's own.
    void SetColor(std::int32_t colour, bool isServer);
    // The reply to one chat text (the part after the sender tag). Pure: the caller sends
    // it as ChatPayload(reply) only while "iaMessage" is true.
    std::string AdvResponce(const std::string& line) const;

    void SetHost(IAEngineHost host);
    void SetRandom(quorril::game::RandomSource rnd);

    // 1 "Facile", 2 "Moyen", any other value "Difficile".
    std::int32_t Level = 3;

    std::int32_t GetCouleurIA() const { return CouleurIA; }
    std::int32_t GetCouleurServeur() const { return CouleurServeur; }
    bool IsEndedGame() const { return EndedGame; }
    const KxMapGest& Grid() const { return GridM; }

    // Analysis entry points (tests, benchmark): load a position and let the computer move now.
    void SetGrid(const KxMapGest& board) { GridM.CopyFrom(board); }
    void IAMotor();
    // Root values of the last "Difficile" search, kNotSearched for full columns or when the
    // move was decided before the search; and the number of positions it tried.
    const std::array<std::int32_t, 7>& LastRootValues() const { return rootValues_; }
    std::uint64_t LastSearchNodes() const { return searchNodes_; }

    // The negamax search and the evaluation on a scratch board, exactly as the level plays
    // them (a full board scores 0, a draw). The board comes back unchanged.
    static std::int32_t Min_Max(KxMapGest& board, std::int32_t colour, std::int32_t depth, std::int32_t bound);
    static std::int32_t ValeurPosition(KxMapGest& board, std::int32_t colour);

private:
    void GiveMyJeton(std::int32_t column);
    void b_Debug(const std::string& text);
    void b_Clean();
    static std::string b2s(bool value) { return value ? "true" : "false"; }
    void SendMessage(const std::string& kind);

    // Takes a win at once, else blocks the opponent's; true when a move was made. trace logs
    // the two steps as level 2's first stages.
    bool WinOrBlock(bool trace);
    void IA_Level1();
    void IA_Level2();
    void IA_Level3();
    std::int32_t GetMaxKeyIAPos(std::vector<KeyIA>& list);

    double Rnd();
    // A random entry of n: Rnd x (n - 1) rounded to the nearest index.
    std::size_t PickIndex(std::size_t n);

    std::int32_t CouleurIA = 0;
    std::int32_t CouleurServeur = 0;
    IADebugList ListDebug;
    KxMapGest GridM;
    bool EndedGame = false;

    IAEngineHost host_;
    quorril::game::RandomSource rnd_;
    std::array<std::int32_t, 7> rootValues_{};
    std::uint64_t searchNodes_ = 0;
};
