// Draws Quorril's pictures and synthesises its sounds into a folder, with the .qrc that
// lists them by id. Runs at build time; everything comes out the same at every run.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QLinearGradient>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 22050;

// ---------------------------------------------------------------- pictures

QColor Scale(const QColor& c, double f) {
    return QColor(std::clamp(int(c.red() * f), 0, 255), std::clamp(int(c.green() * f), 0, 255),
                  std::clamp(int(c.blue() * f), 0, 255));
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor(int(a.red() + (b.red() - a.red()) * t), int(a.green() + (b.green() - a.green()) * t),
                  int(a.blue() + (b.blue() - a.blue()) * t));
}

QImage NewImage(int w, int h, const QColor& fill) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

// The token disc fills radius 33 around (35, 35), the same disc as the mask.
QImage Token(const QColor& base, bool dim, bool selected) {
    QColor b = base;
    if (dim) b = Mix(Scale(base, 0.55), QColor(110, 110, 110), 0.25);
    QImage img = NewImage(70, 70, Scale(b, 0.8));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QRadialGradient g(QPointF(27, 25), 42);
    g.setColorAt(0.0, Mix(b, Qt::white, dim ? 0.25 : 0.55));
    g.setColorAt(0.45, b);
    g.setColorAt(1.0, Scale(b, 0.62));
    p.setBrush(g);
    p.drawEllipse(QPointF(35, 35), 33.5, 33.5);
    // An inner groove, as moulded tokens have.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Scale(b, 0.72), 2.2));
    p.drawEllipse(QPointF(35, 35), 24, 24);
    p.setPen(QPen(Mix(b, Qt::white, dim ? 0.15 : 0.4), 1.2));
    p.drawEllipse(QPointF(35.6, 35.8), 22.2, 22.2);
    if (selected) {
        p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawEllipse(QPointF(35, 35), 17, 17);
        QPainterPath tick;
        tick.moveTo(27, 35.5);
        tick.lineTo(33, 41.5);
        tick.lineTo(43.5, 29);
        p.setPen(QPen(Qt::white, 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }
    p.end();
    return img;
}

QImage TokenMask() {
    QImage img = NewImage(70, 70, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(35, 35), 33.5, 33.5);
    p.end();
    return img;
}

// Holes sit where tokens land: column c at x = 75 + 70c, the n-th token at y = 350 - 70n.
QImage Board() {
    QImage img(640, 420, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 420);
    bg.setColorAt(0, QColor(244, 240, 230));
    bg.setColorAt(1, QColor(226, 220, 206));
    p.fillRect(img.rect(), bg);
    // Rails of the racks on both sides.
    for (int x : {7, 563}) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(214, 206, 190));
        p.drawRoundedRect(QRectF(x + 6, 4, 58, 412), 12, 12);
    }
    // The frame, light so that the end-of-game panel stays readable over it.
    QLinearGradient fr(0, 0, 0, 420);
    fr.setColorAt(0, QColor(196, 214, 238));
    fr.setColorAt(0.5, QColor(214, 228, 246));
    fr.setColorAt(1, QColor(186, 205, 232));
    p.setBrush(fr);
    p.setPen(QPen(QColor(150, 172, 204), 2));
    p.drawRoundedRect(QRectF(71, -12, 498, 440), 14, 14);
    for (int c = 0; c < 7; ++c) {
        for (int n = 0; n < 6; ++n) {
            const QPointF centre(75 + 70 * c + 35, 350 - 70 * n + 35);
            QRadialGradient h(centre + QPointF(0, -6), 36);
            h.setColorAt(0, QColor(150, 170, 200));
            h.setColorAt(0.8, QColor(170, 188, 214));
            h.setColorAt(1, QColor(132, 152, 186));
            p.setBrush(h);
            p.setPen(QPen(QColor(240, 246, 252), 1.5));
            p.drawEllipse(centre, 30.5, 30.5);
        }
    }
    p.end();
    return img;
}

QImage CreditBack() {
    QImage img(300, 100, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 300, 100);
    g.setColorAt(0, QColor(252, 248, 236));
    g.setColorAt(1, QColor(232, 240, 252));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(QColor(255, 255, 255, 90), 6));
    for (int x = -100; x < 400; x += 24) p.drawLine(x, 0, x + 100, 100);
    p.end();
    return img;
}

// A mask that fades the scrolling text out towards the top and bottom edges.
QImage CreditFade() {
    QImage img = NewImage(300, 100, Qt::black);
    for (int y = 0; y < 100; ++y) {
        const double d = std::min(y, 99 - y) / 24.0;
        const double t = d >= 1 ? 1 : d * d * (3 - 2 * d);
        const int grey = int(std::lround(255 * (1 - t)));
        for (int x = 0; x < 300; ++x) img.setPixel(x, y, qRgb(grey, grey, grey));
    }
    return img;
}

// A mask that rounds the corners of the credits frame.
QImage CreditShape() {
    QImage img = NewImage(300, 100, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(1, 1, 298, 98), 14, 14);
    p.end();
    return img;
}

// ---------------------------------------------------------------- sounds

using Samples = std::vector<double>;

double Note(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

bool WriteWav(const QString& path, const Samples& s) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) f.putChar(char((v >> (8 * i)) & 0xff)); };
    auto u16 = [&](std::uint16_t v) { f.putChar(char(v & 0xff)); f.putChar(char(v >> 8)); };
    const std::uint32_t bytes = std::uint32_t(s.size() * 2);
    f.write("RIFF", 4); u32(36 + bytes); f.write("WAVE", 4);
    f.write("fmt ", 4); u32(16); u16(1); u16(1); u32(kRate); u32(kRate * 2); u16(2); u16(16);
    f.write("data", 4); u32(bytes);
    for (double v : s) u16(std::uint16_t(std::int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32000))));
    return true;
}

void Normalise(Samples& s, double peak) {
    double m = 1e-9;
    for (double v : s) m = std::max(m, std::abs(v));
    for (double& v : s) v *= peak / m;
}

// A struck bell-like tone: a few partials, each dying away at its own pace.
void Bell(Samples& out, double start, double freq, double amp, double decay, bool wrap = false) {
    const int n = int(out.size());
    const int first = int(start * kRate);
    const int len = int(decay * 6 * kRate);
    const double partials[][3] = {{1.0, 1.0, 1.0}, {2.0, 0.35, 0.6}, {3.01, 0.12, 0.35}, {4.2, 0.05, 0.2}};
    for (int i = 0; i < len; ++i) {
        int k = first + i;
        if (wrap) k %= n;
        else if (k >= n) break;
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.004);
        double v = 0;
        for (const auto& p : partials) v += p[1] * std::exp(-t / (decay * p[2])) * std::sin(2 * kPi * freq * p[0] * t);
        out[k] += amp * attack * v;
    }
}

Samples TokenDrop() {
    Samples s(int(0.28 * kRate), 0.0);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / kRate;
        seed = seed * 1664525u + 1013904223u;
        const double noise = (double(seed >> 8) / double(1u << 24)) * 2 - 1;
        const double thumpF = 150 * std::exp(-t * 9) + 70;
        double v = 0.9 * std::exp(-t / 0.045) * std::sin(2 * kPi * thumpF * t);
        v += 0.35 * std::exp(-t / 0.025) * std::sin(2 * kPi * 620 * t);
        v += 0.18 * std::exp(-t / 0.015) * std::sin(2 * kPi * 1730 * t);
        v += 0.25 * std::exp(-t / 0.004) * noise;
        s[i] = v * std::min(1.0, t / 0.001);
    }
    Normalise(s, 0.8);
    return s;
}

// A 24-second loop whose every note wraps around its end, so the seam cannot be heard.
Samples Ambient() {
    const double length = 24.0;
    const int n = int(length * kRate);
    Samples s(n, 0.0);
    const int chords[4][4] = {{48, 55, 64, 71}, {45, 52, 60, 67}, {41, 48, 57, 64}, {43, 50, 59, 62}};
    for (int c = 0; c < 4; ++c) {
        const double start = c * 6.0;
        for (int v = 0; v < 4; ++v) {
            const double f = Note(chords[c][v]);
            const double dur = 8.5;  // longer than the chord: it fades under the next one
            const int len = int(dur * kRate);
            for (int i = 0; i < len; ++i) {
                const double t = double(i) / kRate;
                const double env = std::min(1.0, t / 2.2) * std::min(1.0, (dur - t) / 2.8);
                const double shimmer = 1 + 0.08 * std::sin(2 * kPi * t / 3.0 + v);
                double x = std::sin(2 * kPi * f * 0.9985 * t) + std::sin(2 * kPi * f * 1.0015 * t + v);
                x += 0.25 * std::sin(2 * kPi * 2 * f * t);
                const int k = (int(start * kRate) + i) % n;
                s[k] += 0.12 * env * shimmer * x * (v == 0 ? 1.2 : 0.8);
            }
        }
    }
    // A slow, soft melody of bells over the pads, drawn from the chord tones.
    const int melody[16] = {76, 79, 83, 79, 72, 76, 79, 76, 69, 72, 76, 72, 74, 79, 83, 86};
    for (int i = 0; i < 16; ++i) Bell(s, i * 1.5 + 0.4, Note(melody[i]), 0.16, 0.9, true);
    // Gentle low-pass, run round the loop twice so that its state matches at the seam.
    double y = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < n; ++i) {
            y += 0.35 * (s[i] - y);
            if (pass == 1) s[i] = y;
        }
    Normalise(s, 0.5);
    return s;
}

Samples Jingle(const std::vector<std::pair<int, double>>& notes, double tail, double decay) {
    double end = 0;
    for (const auto& [m, t] : notes) end = std::max(end, t);
    Samples s(int((end + tail) * kRate), 0.0);
    for (const auto& [m, t] : notes) Bell(s, t, Note(m), 0.5, decay);
    Normalise(s, 0.75);
    return s;
}

Samples Winner() {
    return Jingle({{72, 0.0}, {76, 0.12}, {79, 0.24}, {84, 0.36}, {72, 0.6}, {76, 0.6}, {79, 0.6}, {84, 0.6}, {88, 0.6}},
                  1.4, 0.35);
}

Samples Loser() {
    Samples s(int(2.0 * kRate), 0.0);
    const int notes[4] = {67, 66, 65, 64};
    for (int k = 0; k < 4; ++k) {
        const double start = k * 0.38;
        const double dur = k == 3 ? 1.0 : 0.36;
        for (int i = 0; i < int(dur * kRate); ++i) {
            const double t = double(i) / kRate;
            const double vib = k == 3 ? 0.012 * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t / 0.2) : 0;
            const double f = Note(notes[k]) * (1 + vib);
            const double env = std::min(1.0, t / 0.02) * std::min(1.0, (dur - t) / 0.08);
            const double x = std::sin(2 * kPi * f * t) + 0.3 * std::sin(2 * kPi * 2 * f * t) + 0.12 * std::sin(2 * kPi * 3 * f * t);
            const int at = int(start * kRate) + i;
            if (at < int(s.size())) s[at] += 0.5 * env * x;
        }
    }
    Normalise(s, 0.7);
    return s;
}

Samples Chime() { return Jingle({{88, 0.0}, {84, 0.16}}, 0.6, 0.18); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath("pict") || !out.mkpath("snd")) return 1;

    const QColor yellow(250, 200, 24), blue(34, 96, 226);
    const std::vector<std::pair<int, QImage>> pictures = {
        {168, TokenMask()},
        {169, Token(yellow, false, false)},
        {170, Token(blue, false, false)},
        {171, Token(yellow, false, true)},
        {172, Token(blue, false, true)},
        {173, Token(yellow, true, false)},
        {174, Token(blue, true, false)},
        {175, CreditBack()},
        {176, CreditFade()},
        {177, CreditShape()},
        {178, Board()},
    };
    const std::vector<std::pair<int, std::function<Samples()>>> sounds = {
        {168, TokenDrop}, {169, Ambient}, {170, Loser}, {171, Winner}, {172, Chime},
    };

    QString qrc = "<RCC>\n  <qresource prefix=\"/\">\n";
    for (const auto& [id, img] : pictures) {
        const QString name = QString("pict/%1.png").arg(id);
        if (!img.save(out.filePath(name), "PNG")) return 1;
        qrc += QString("    <file>%1</file>\n").arg(name);
    }
    for (const auto& [id, make] : sounds) {
        const QString name = QString("snd/%1.wav").arg(id);
        if (!WriteWav(out.filePath(name), make())) return 1;
        qrc += QString("    <file>%1</file>\n").arg(name);
    }
    qrc += "  </qresource>\n</RCC>\n";
    QFile f(out.filePath("quorril_assets.qrc"));
    if (!f.open(QIODevice::WriteOnly)) return 1;
    f.write(qrc.toUtf8());
    return 0;
}
