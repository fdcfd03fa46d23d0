#include "framework/sound.h"

#include <QApplication>
#include <QFile>
#include <QSoundEffect>

namespace fw {

Sound::Sound(QUrl source) : source_(std::move(source)) {}

Sound::~Sound() = default;

std::shared_ptr<Sound> Sound::FromResource(int id) {
    const QString path = QStringLiteral(":/snd/%1.wav").arg(id);
    if (!QFile::exists(path)) return nullptr;
    return std::make_shared<Sound>(QUrl(QStringLiteral("qrc") + path));
}

QSoundEffect& Sound::Effect() {
    if (!effect_) {
        effect_ = std::make_unique<QSoundEffect>();
        effect_->setSource(source_);
    }
    return *effect_;
}

void Sound::Play() {
    ++plays_;
    looping_ = false;
    QSoundEffect& e = Effect();
    e.setLoopCount(1);
    e.play();
}

void Sound::PlayLooping() {
    ++plays_;
    looping_ = true;
    QSoundEffect& e = Effect();
    e.setLoopCount(QSoundEffect::Infinite);
    if (!e.isPlaying()) e.play();
}

void Sound::Stop() {
    looping_ = false;
    if (effect_) effect_->stop();
}

namespace {
int g_beeps = 0;
}

void Beep() {
    ++g_beeps;
    QApplication::beep();
}

int BeepCount() { return g_beeps; }

}  // namespace fw
