#pragma once
// The program's pictures and sounds, by resource id. Each accessor fetches on first use and
// then returns the same object until ReleaseResources(). One that cannot be fetched answers
// null and is asked for again at the next call.
#include <functional>
#include <memory>

#include "framework/picture.h"
#include "framework/sound.h"

template <class T>
class CachedResource {
public:
    explicit CachedResource(std::function<std::shared_ptr<T>()> fetch) : fetch_(std::move(fetch)) {}

    std::shared_ptr<T> Get() {
        if (!cache_) {
            ++fetches_;
            cache_ = fetch_();
        }
        return cache_;
    }
    void Release() { cache_.reset(); }
    int Fetches() const { return fetches_; }

private:
    std::function<std::shared_ptr<T>()> fetch_;
    std::shared_ptr<T> cache_;
    int fetches_ = 0;
};

// Pictures (70 x 70 tokens and mask, 300 x 100 credits, 640 x 420 board).
std::shared_ptr<fw::Picture> masque();        // 168
std::shared_ptr<fw::Picture> jaune();         // 169
std::shared_ptr<fw::Picture> bleu();          // 170
std::shared_ptr<fw::Picture> jauneSelect();   // 171
std::shared_ptr<fw::Picture> bleuSelect();    // 172
std::shared_ptr<fw::Picture> jaunePush();     // 173
std::shared_ptr<fw::Picture> bleuPush();      // 174
std::shared_ptr<fw::Picture> BackCredit();    // 175
std::shared_ptr<fw::Picture> FrontCredit();   // 176
std::shared_ptr<fw::Picture> MasqueCredit();  // 177
std::shared_ptr<fw::Picture> plateau();       // 178

// Sounds.
std::shared_ptr<fw::Sound> place_pion();  // 168
std::shared_ptr<fw::Sound> ambiance();    // 169
std::shared_ptr<fw::Sound> loser();       // 170
std::shared_ptr<fw::Sound> winner();      // 171
std::shared_ptr<fw::Sound> message();     // 172

// The fetches through the resource files; exposed for tests.
std::shared_ptr<fw::Picture> FetchPicture(int id);
std::shared_ptr<fw::Sound> FetchSound(int id);

// Empties every cache; call once the event loop has returned, before QApplication goes,
// so that no sound outlives the audio system.
void ReleaseResources();
