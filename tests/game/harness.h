// An engine wired to recording outputs and a fixed list of random draws.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "game/iaclassengine.h"
#include "pictures.h"

struct Harness {
    IAClassEngine engine;
    std::vector<std::string> sent;
    std::vector<std::string> log;
    int cleared = 0;
    std::deque<double> draws;
    bool visible = true;
    bool messages = true;

    // The host plays yellow, the computer blue.
    explicit Harness(int level, std::deque<double> fixedDraws = {}) : draws(std::move(fixedDraws)) {
        engine.Level = level;
        engine.SetHost({[this](const std::string& m) { sent.push_back(m); }, [this] { return visible; },
                        [this] { return messages; }});
        engine.SetDebugList({[this](const std::string& row) { log.push_back(row); }, [this] {
                                 log.clear();
                                 ++cleared;
                             }});
        engine.SetRandom([this] {
            if (draws.empty()) {
                ADD_FAILURE() << "unexpected random draw";
                return 0.0;
            }
            const double r = draws.front();
            draws.pop_front();
            return r;
        });
        engine.SetColor(J, true);
        engine.SetColor(B, false);
    }
};
