// The Bonjour plug-in: DNS-SD browsing, resolving and publishing for the program, over the
// avahi daemon. The library exports one symbol, REALPluginMain; the program reaches everything
// else through the records registered at load. No exception leaves the library: every entry
// point and every callback stops them.
//
// The entry points run on the program's thread and never wait on the daemon: what they ask for
// is done on the plug-in's own avahi thread, what they read is the plug-in's copy of what the
// daemon has reported, and the events reach the program on later turns of its event loop
// (plugin/daemonlink.h).
#include "framework/plugin_interface.h"
#include "plugin/browser.h"
#include "plugin/logic.h"
#include "plugin/publish.h"
#include "plugin/runtime.h"

#include <cstdint>
#include <string>

using namespace bonjour;

namespace {

// What the host reserves inside every instance of the control: the instance's two objects.
struct InstanceData {
    Browser* browser;
    Publish* publisher;
};

// ---- Entry points ----------------------------------------------------------------------------

InstanceData* data(PluginInstance* instance);

Browser* browserOf(PluginInstance* instance) {
    InstanceData* d = data(instance);
    return d ? d->browser : nullptr;
}

Publish* publisherOf(PluginInstance* instance) {
    InstanceData* d = data(instance);
    return d ? d->publisher : nullptr;
}

const FoundService* serviceOf(PluginInstance* instance, std::int32_t i) {
    Browser* b = browserOf(instance);
    return b ? b->Get(i) : nullptr;
}

const FoundService* resolvedOf(PluginInstance* instance, std::int32_t i) {
    const FoundService* s = serviceOf(instance, i);
    return s && s->resolved ? s : nullptr;
}

PluginString* nullText() { return NewString("(null)", true); }

// Runs body; an exception ends the call with fallback.
template <class R, class F>
R guarded(R fallback, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}
template <class F>
void guarded(F&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

void browsing_start(PluginInstance* instance, PluginString* service) {
    guarded([&] {
        if (Browser* b = browserOf(instance)) b->Start(ReadBytes(service));
    });
}

void browsing_stop(PluginInstance* instance) {
    guarded([&] {
        if (Browser* b = browserOf(instance)) b->Stop();
    });
}

void browsing_clean(PluginInstance* instance) {
    guarded([&] {
        if (Browser* b = browserOf(instance)) b->Clean();
    });
}

std::int32_t browsing_count(PluginInstance* instance) {
    return guarded(std::int32_t(0), [&] {
        Browser* b = browserOf(instance);
        return b ? b->Count() : 0;
    });
}

PluginString* browsing_hostname(PluginInstance* instance, std::int32_t i) {
    return guarded<PluginString*>(nullptr, [&] {
        const FoundService* s = resolvedOf(instance, i);
        return s ? NewString(s->hostName, true) : nullText();
    });
}

PluginString* browsing_name(PluginInstance* instance, std::int32_t i) {
    return guarded<PluginString*>(nullptr, [&] {
        const FoundService* s = resolvedOf(instance, i);
        return s ? NewString(s->name, true) : nullText();
    });
}

PluginString* browsing_str(PluginInstance* instance, std::int32_t i, std::int32_t str_i) {
    return guarded<PluginString*>(nullptr, [&] {
        const FoundService* s = serviceOf(instance, i);
        if (!s || !s->hasTxt) return nullText();
        const std::optional<std::string> text = TxtString(s->txt, str_i);
        return text ? NewString(*text, true) : nullText();
    });
}

std::int32_t browsing_countaddresses(PluginInstance* instance, std::int32_t i) {
    return guarded(std::int32_t(-1), [&] {
        const FoundService* s = resolvedOf(instance, i);
        return s ? std::int32_t(s->addresses.size()) : -1;
    });
}

const Bytes* addressOf(PluginInstance* instance, std::int32_t i, std::int32_t k) {
    const FoundService* s = resolvedOf(instance, i);
    if (!s || k < 0 || std::size_t(k) >= s->addresses.size()) return nullptr;
    return &s->addresses[std::size_t(k)];
}

// Plain ASCII, without an encoding mark.
PluginString* browsing_address(PluginInstance* instance, std::int32_t i, std::int32_t address_i) {
    return guarded<PluginString*>(nullptr, [&] {
        const Bytes* record = addressOf(instance, i, address_i);
        const std::optional<std::string> text = record ? RecordAddress(*record) : std::nullopt;
        return NewString(text ? *text : std::string("(null)"), false);
    });
}

std::int32_t browsing_port(PluginInstance* instance, std::int32_t i, std::int32_t port_i) {
    return guarded(std::int32_t(-1), [&] {
        const Bytes* record = addressOf(instance, i, port_i);
        const std::optional<std::int32_t> port = record ? RecordPort(*record) : std::nullopt;
        return port ? *port : -1;
    });
}

void publishing_start_port(PluginInstance* instance, PluginString* service, PluginString* name, PluginStringArray* str, std::int32_t port) {
    guarded([&] {
        if (Publish* p = publisherOf(instance)) p->Start(ReadBytes(service), ReadBytes(name), ReadStrings(str), port);
    });
}

void publishing_start(PluginInstance* instance, PluginString* service, PluginString* name, PluginStringArray* str) {
    publishing_start_port(instance, service, name, str, -1);
}

void publishing_stop(PluginInstance* instance) {
    guarded([&] {
        if (Publish* p = publisherOf(instance)) p->Stop();
    });
}

// Whether the daemon answers, as the plug-in last heard from it (a first control waits a moment
// for its connection's first answer).
bool is_available(PluginInstance* instance) {
    return guarded(false, [&] {
        Browser* b = browserOf(instance);
        return b && b->Available();
    });
}

// ---- Records ---------------------------------------------------------------------------------

PluginRoutine routine(auto f) { return reinterpret_cast<PluginRoutine>(f); }

const PluginMethodRecord bonjourMethods[] = {
    {routine(browsing_start), 0, "Browsing_Start(service as string)", 0},
    {routine(browsing_stop), 0, "Browsing_Stop()", 0},
    {routine(browsing_clean), 0, "Browsing_Clean()", 0},
    {routine(browsing_count), 0, "Browsing_Count() as integer", 0},
    {routine(browsing_hostname), 0, "Browsing_HostName(i as integer) as string", 0},
    {routine(browsing_name), 0, "Browsing_Name(i as integer) as string", 0},
    {routine(browsing_str), 0, "Browsing_Str(i as integer, str_i as integer) as string", 0},
    {routine(browsing_countaddresses), 0, "Browsing_CountAddresses(i as integer) as integer", 0},
    {routine(browsing_address), 0, "Browsing_Addresses(i as integer, address_i as integer) as string", 0},
    {routine(browsing_port), 0, "Browsing_Port(i as integer, port_i as integer) as integer", 0},
    {routine(publishing_start), 0, "Publishing_Start(service as string, name as string, str() as string)", 0},
    {routine(publishing_start_port), 0, "Publishing_StartPort(service as string, name as string, str() as string, port as integer)", 0},
    {routine(publishing_stop), 0, "Publishing_Stop()", 0},
    {routine(is_available), 0, "is_available() as boolean", 0},
};

PluginEventRecord bonjourEvents[] = {
    {"Browsing_Found(i as integer)", 0},
    {"Browsing_Removed(i as integer)", 0},
    {"Browsing_Resolved(i as integer)", 0},
    {"Publish_Published()", 0},
    {"Publish_Stopped()", 0},
    {"Publish_Error(err as integer)", 0},
};

void bonjourConstructor(PluginInstance* instance);
void bonjourDestructor(PluginInstance* instance);
void drawer(PluginInstance* instance);

const PluginBehaviourRecord bonjourBehaviour = {bonjourConstructor, bonjourDestructor, drawer, {}};

PluginControlRecord bonjourControl = {
    QUORRIL_PLUGIN_VERSION,
    "Bonjour",
    std::int32_t(sizeof(InstanceData)),
    0x44,
    128,
    128,
    32,
    32,
    nullptr,
    0,
    bonjourMethods,
    std::int32_t(sizeof bonjourMethods / sizeof bonjourMethods[0]),
    bonjourEvents,
    std::int32_t(sizeof bonjourEvents / sizeof bonjourEvents[0]),
    &bonjourBehaviour,
    0,
    {},
};

PluginString* Aboutm() {
    return guarded<PluginString*>(nullptr, [] { return NewString(AboutText(), true); });
}

const PluginMethodRecord Aboutd = {routine(Aboutm), 0, "AboutBonjour() as string", 0};

// The instance data lies where the host said when it registered the class; before that (or for
// an instance of no class of ours) there is none.
InstanceData* data(PluginInstance* instance) {
    if (!instance || bonjourControl.dataOffset <= 0) return nullptr;
    return reinterpret_cast<InstanceData*>(reinterpret_cast<char*>(instance) + bonjourControl.dataOffset);
}

// ---- Events ----------------------------------------------------------------------------------

// Raises event k of the instance: the program's handler for it, when it bound one, gets the
// instance and the event's arguments.
template <int k, class... A>
void raise(PluginInstance* instance, A... args) {
    auto find = Find<PluginGetEventInstanceFn>(Routine::GetEventInstance);
    PluginRoutine handler = find ? find(instance, &bonjourEvents[k]) : nullptr;
    if (handler) reinterpret_cast<void (*)(PluginInstance*, A...)>(handler)(instance, args...);
}

constexpr IndexRaiser browsing_found = raise<0, std::int32_t>;
constexpr IndexRaiser browsing_remove = raise<1, std::int32_t>;
constexpr IndexRaiser browsing_resolved = raise<2, std::int32_t>;
constexpr PlainRaiser publishing_published = raise<3>;
constexpr PlainRaiser publishing_stopped = raise<4>;
constexpr ErrorRaiser publishing_error = raise<5, std::int32_t>;

// ---- Behaviour -------------------------------------------------------------------------------

void bonjourConstructor(PluginInstance* instance) {
    guarded([&] {
        InstanceData* d = data(instance);
        if (!d) return;
        d->browser = nullptr;
        d->publisher = nullptr;
        d->browser = new Browser(instance, browsing_found, browsing_remove, browsing_resolved);
        d->publisher = new Publish(instance, publishing_published, publishing_stopped, publishing_error);
    });
}

// Releases the publisher too, which withdraws its publication, and the browser with every
// resolver: nothing of the instance is called back afterwards.
void bonjourDestructor(PluginInstance* instance) {
    guarded([&] {
        InstanceData* d = data(instance);
        if (!d) return;
        delete d->publisher;
        d->publisher = nullptr;
        delete d->browser;
        d->browser = nullptr;
    });
}

// The control has no face: the host shows it nowhere and has nothing to draw it into.
void drawer(PluginInstance* instance) {
    guarded([&] {
        if (auto bounds = Find<PluginGetControlBoundsFn>(Routine::GetControlBounds)) {
            PluginRect r{};
            bounds(instance, &r);
        }
    });
}

// ---- Load ------------------------------------------------------------------------------------

void PluginEntry() {
    unsigned char keys[16] = {};
    if (auto getKeys = Find<PluginGetKeysFn>(Routine::RuntimeGetKeys)) getKeys(keys);
    if (CheckCredits(keys)) {
        if (auto box = Find<PluginMsgBoxFn>(Routine::RuntimeMsgBox)) {
            PluginString* text = NewString(AboutText(), true);
            box(text);
            if (auto release = Find<PluginStringReleaseFn>(Routine::StringRelease); release && text) release(text);
        }
    }
    if (auto reg = Find<PluginRegisterControlFn>(Routine::PluginRegisterControl)) reg(&bonjourControl);
    if (auto reg = Find<PluginRegisterMethodFn>(Routine::PluginRegisterMethod)) reg(&Aboutd);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void REALPluginMain(PluginResolver resolver) {
    guarded([&] {
        SetResolver(resolver);
        if (auto version = Find<PluginRegisterVersionFn>(Routine::RegisterPluginVersion)) version(QUORRIL_PLUGIN_VERSION);
        PluginEntry();
    });
}
