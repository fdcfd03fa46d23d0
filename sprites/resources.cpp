#include "sprites/resources.h"

// Outside any namespace: the resource's init function lives in the global one. Calling it
// also keeps the linker from dropping the resources out of the static library.
static void EnsureRegistered() {
    static const bool done = [] {
        Q_INIT_RESOURCE(quorril_assets);
        return true;
    }();
    (void)done;
}

namespace {

template <int Id>
CachedResource<fw::Picture>& Pict() {
    static CachedResource<fw::Picture> c([] { return FetchPicture(Id); });
    return c;
}

template <int Id>
CachedResource<fw::Sound>& Snd() {
    static CachedResource<fw::Sound> c([] { return FetchSound(Id); });
    return c;
}

}  // namespace

std::shared_ptr<fw::Picture> FetchPicture(int id) {
    EnsureRegistered();
    return fw::Picture::FromResource(id);
}

std::shared_ptr<fw::Sound> FetchSound(int id) {
    EnsureRegistered();
    return fw::Sound::FromResource(id);
}

std::shared_ptr<fw::Picture> masque() { return Pict<168>().Get(); }
std::shared_ptr<fw::Picture> jaune() { return Pict<169>().Get(); }
std::shared_ptr<fw::Picture> bleu() { return Pict<170>().Get(); }
std::shared_ptr<fw::Picture> jauneSelect() { return Pict<171>().Get(); }
std::shared_ptr<fw::Picture> bleuSelect() { return Pict<172>().Get(); }
std::shared_ptr<fw::Picture> jaunePush() { return Pict<173>().Get(); }
std::shared_ptr<fw::Picture> bleuPush() { return Pict<174>().Get(); }
std::shared_ptr<fw::Picture> BackCredit() { return Pict<175>().Get(); }
std::shared_ptr<fw::Picture> FrontCredit() { return Pict<176>().Get(); }
std::shared_ptr<fw::Picture> MasqueCredit() { return Pict<177>().Get(); }
std::shared_ptr<fw::Picture> plateau() { return Pict<178>().Get(); }

std::shared_ptr<fw::Sound> place_pion() { return Snd<168>().Get(); }
std::shared_ptr<fw::Sound> ambiance() { return Snd<169>().Get(); }
std::shared_ptr<fw::Sound> loser() { return Snd<170>().Get(); }
std::shared_ptr<fw::Sound> winner() { return Snd<171>().Get(); }
std::shared_ptr<fw::Sound> message() { return Snd<172>().Get(); }

void ReleaseResources() {
    Pict<168>().Release();
    Pict<169>().Release();
    Pict<170>().Release();
    Pict<171>().Release();
    Pict<172>().Release();
    Pict<173>().Release();
    Pict<174>().Release();
    Pict<175>().Release();
    Pict<176>().Release();
    Pict<177>().Release();
    Snd<168>().Release();
    Snd<169>().Release();
    Snd<170>().Release();
    Snd<171>().Release();
    Snd<172>().Release();
    Pict<178>().Release();
}
