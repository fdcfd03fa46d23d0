#pragma once
// A sound effect. Playing never blocks: without an audio device it stays silent.
#include <QObject>
#include <QUrl>

#include <memory>

class QSoundEffect;

namespace fw {

class Sound {
public:
    explicit Sound(QUrl source);
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // The application's sound resource with this id, or null when there is none.
    static std::shared_ptr<Sound> FromResource(int id);

    void Play();
    void PlayLooping();
    void Stop();
    bool IsLooping() const { return looping_; }
    // How many times Play or PlayLooping started it (the sound itself leaves no trace to check).
    int PlayCount() const { return plays_; }
    QUrl Source() const { return source_; }

private:
    QSoundEffect& Effect();

    QUrl source_;
    std::unique_ptr<QSoundEffect> effect_;  // made at the first play, so a fetch costs nothing
    bool looping_ = false;
    int plays_ = 0;
};

using SoundRef = std::shared_ptr<Sound>;

// The system's alert sound.
void Beep();
// How many times the program has beeped.
int BeepCount();

}  // namespace fw
