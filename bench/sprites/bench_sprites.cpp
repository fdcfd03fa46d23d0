// CPU time of the board's hot paths: one fall tick with both racks full, one winning-line
// tick, and a full redraw of the board.
#include <QApplication>

#include <cstdio>
#include <ctime>
#include <functional>

#include "game/quadruplet.h"
#include "sprites/animators.h"
#include "sprites/jetonlist.h"
#include "sprites/resources.h"
#include "sprites/surface.h"

namespace {

double CpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Mean CPU milliseconds of one call of f over n calls.
double Measure(int n, const std::function<void()>& f) {
    const double start = CpuMs();
    for (int i = 0; i < n; ++i) f();
    return (CpuMs() - start) / n;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    double fallTick = 0, pulseTick = 0, redraw = 0;
    {
        SMSpriteSurface board;
        board.resize(640, 420);
        JetonList adv(-1, false, "left"), self(1, true, "right");
        adv.GlueOnMap(board);
        self.GlueOnMap(board);
        auto back = std::make_shared<fw::Picture>(640, 420);
        back->Graphics().DrawPicture(*plateau(), 0, 0);
        board.SetBackdrop(back);

        // A token falling past the racks' edge, down column 6 beside the local rack.
        AnimTomber fall;
        auto token = self.GetActJeton();
        token->setX(75 + 70 * 6);
        board.Reload();
        int ticks = 0;
        const double fallStart = CpuMs();
        for (int round = 0; round < 200; ++round) {
            token->setY(-18);
            board.Reload();
            fall.Tomber(-18, 350, 6, token, &board);
            while (fall.IsRunning()) {
                fall.Step();
                ++ticks;
            }
        }
        fallTick = (CpuMs() - fallStart) / ticks;

        std::shared_ptr<Jeton> line[4];
        for (int i = 0; i < 4; ++i) {
            line[i] = adv.GiveJeton();
            line[i]->setX(75 + 70 * i);
            line[i]->setY(350);
        }
        board.Reload();
        AnimWinner pulse;
        pulse.Animer(Quadruplet(-1, line[0], line[1], line[2], line[3], nullptr, nullptr, nullptr), &board);
        pulseTick = Measure(2000, [&] { pulse.Step(); });
        pulse.StopIt();

        redraw = Measure(300, [&] { board.SetBackdrop(back); });
    }
    ReleaseResources();
    std::printf("fall tick, both racks full:  %.3f ms (goal < 0.5)\n", fallTick);
    std::printf("winning-line tick:           %.3f ms (goal < 0.5)\n", pulseTick);
    std::printf("full redraw:                 %.3f ms (goal < 3)\n", redraw);
    return 0;
}
