// Times the "Difficile" move over a fixed suite of positions: random legal games of 4 to 30
// tokens from a fixed seed, with the computer to move. Prints median and p99 per move in
// microseconds and the search's positions per second.
//
//   bench_ai [positions=300] [repeats=5]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "game/iaclassengine.h"
#include "game/kxmapgest.h"

namespace {

struct Position {
    KxMapGest board;
    int toMove;
};

std::vector<Position> MakeSuite(int count) {
    std::mt19937 rng(20240611u);
    std::vector<Position> suite;
    while (static_cast<int>(suite.size()) < count) {
        const int tokens = std::uniform_int_distribution<int>(4, 30)(rng);
        KxMapGest board;
        int colour = -1;  // the host moves first
        bool ok = true;
        for (int t = 0; t < tokens && ok; ++t) {
            std::vector<int> free;
            for (int c = 0; c < 7; ++c) {
                if (!board.IsFullColumn(c)) free.push_back(c);
            }
            if (free.empty()) {
                ok = false;
                break;
            }
            board.PlaceJeton(free[std::uniform_int_distribution<std::size_t>(0, free.size() - 1)(rng)], colour);
            if (board.HaveWinner()) ok = false;
            colour = -colour;
        }
        if (ok && !board.IsFullGame()) suite.push_back({board, colour});
    }
    return suite;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::vector<Position> suite = MakeSuite(count);

    std::mt19937_64 coin(7u);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    IAClassEngine engine;
    engine.Level = 3;
    engine.SetRandom([&] { return uniform(coin); });

    std::vector<double> micros;
    std::vector<double> searchMicros;
    std::uint64_t nodes = 0;
    double searchSeconds = 0;
    int searched = 0;
    for (int r = 0; r < repeats; ++r) {
        for (const Position& p : suite) {
            engine.SetColor(-p.toMove, true);
            engine.SetColor(p.toMove, false);
            engine.SetGrid(p.board);
            const auto t0 = std::chrono::steady_clock::now();
            engine.IAMotor();
            const auto t1 = std::chrono::steady_clock::now();
            const double us = std::chrono::duration<double, std::micro>(t1 - t0).count();
            micros.push_back(us);
            if (engine.LastSearchNodes() > 0) {
                nodes += engine.LastSearchNodes();
                searchSeconds += us / 1e6;
                searchMicros.push_back(us);
                if (r == 0) ++searched;
            }
        }
    }
    auto at = [](std::vector<double>& v, double q) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[std::min(v.size() - 1, static_cast<std::size_t>(q * v.size()))];
    };
    std::printf("positions %d (searched %d), repeats %d\n", count, searched, repeats);
    std::printf("all moves:      median %.1f us, p99 %.1f us, max %.1f us\n", at(micros, 0.5), at(micros, 0.99),
                at(micros, 1.0));
    std::printf("searched moves: median %.1f us, p99 %.1f us\n", at(searchMicros, 0.5), at(searchMicros, 0.99));
    std::printf("search nodes/s %.3g (%.0f nodes per searched move)\n", searchSeconds > 0 ? nodes / searchSeconds : 0.0,
                searched > 0 ? static_cast<double>(nodes) / (searched * repeats) : 0.0);
    return 0;
}
