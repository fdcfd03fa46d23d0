#include "framework/pluginhost.h"

#include "framework/bonjour.h"
#include "framework/msgbox.h"
#include "framework/plugin_interface.h"
#include "framework/pluginloader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <poll.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

// ---- The host's objects that plug-ins hold opaque pointers to -----------------------------------

struct PluginString {
    std::string bytes;
    std::uint32_t encoding = 0;
};

struct PluginStringArray {
    std::vector<PluginString> items;
};

namespace fw {
namespace {
struct BoundClass;
}
}  // namespace fw

// An instance: the host's header, then the instance data the class record asks for.
struct PluginInstance {
    fw::Bonjour* owner;  // null while the plug-in constructs or destroys it: no event goes out
    const fw::BoundClass* cls;
    alignas(std::max_align_t) unsigned char data[1];
};

namespace fw {

namespace {

constexpr std::ptrdiff_t kDataOffset = offsetof(PluginInstance, data);
constexpr std::int32_t kMaxDataSize = 4096;
constexpr std::int32_t kMaxRecords = 256;

// The Bonjour control's methods as the program declares them, in its order.
enum Method {
    BrowsingStart,
    BrowsingStop,
    BrowsingClean,
    BrowsingCount,
    BrowsingHostName,
    BrowsingName,
    BrowsingStr,
    BrowsingCountAddresses,
    BrowsingAddresses,
    BrowsingPort,
    PublishingStart,
    PublishingStartPort,
    PublishingStop,
    IsAvailable,
    MethodCount
};

constexpr std::array<const char*, MethodCount> kMethodDeclarations = {
    "Bonjour.Browsing_Start(service as string)",
    "Bonjour.Browsing_Stop()",
    "Bonjour.Browsing_Clean()",
    "Bonjour.Browsing_Count() as integer",
    "Bonjour.Browsing_HostName(i as integer) as string",
    "Bonjour.Browsing_Name(i as integer) as string",
    "Bonjour.Browsing_Str(i as integer, str_i as integer) as string",
    "Bonjour.Browsing_CountAddresses(i as integer) as integer",
    "Bonjour.Browsing_Addresses(i as integer, address_i as integer) as string",
    "Bonjour.Browsing_Port(i as integer, port_i as integer) as integer",
    "Bonjour.Publishing_Start(service as string, name as string, str() as string)",
    "Bonjour.Publishing_StartPort(service as string, name as string, str() as string, port as integer)",
    "Bonjour.Publishing_Stop()",
    "Bonjour.is_available() as boolean",
};

enum Event { Found, Removed, Resolved, Published, Stopped, Error, EventCount, NoEvent = -1 };

constexpr std::array<const char*, EventCount> kEventDeclarations = {
    "Browsing_Found(i as integer)",  "Browsing_Removed(i as integer)", "Browsing_Resolved(i as integer)",
    "Publish_Published()",           "Publish_Stopped()",              "Publish_Error(err as integer)",
};

struct BoundClass {
    PluginControlRecord* record = nullptr;
    std::array<PluginRoutine, MethodCount> methods{};
    std::vector<int> events;  // per event record of the class: the program's event, or NoEvent
};

std::shared_ptr<BoundClass> g_class;
PluginResolverHook g_hook;

// ---- Strings and arrays ------------------------------------------------------------------------

PluginString* stringFromBytes(const char* bytes, std::int32_t length) {
    try {
        auto* s = new PluginString;
        if (bytes && length > 0) s->bytes.assign(bytes, std::size_t(length));
        return s;
    } catch (...) {
        return nullptr;
    }
}

void stringSetEncoding(PluginString* s, std::uint32_t encoding) {
    if (s) s->encoding = encoding;
}

const char* stringBytes(PluginString* s, std::int32_t* length) {
    if (length) *length = s ? std::int32_t(s->bytes.size()) : 0;
    return s ? s->bytes.data() : nullptr;
}

void stringRelease(PluginString* s) { delete s; }

std::int32_t ubound(PluginStringArray* a) { return a ? std::int32_t(a->items.size()) - 1 : -1; }

PluginString* readStringArray(PluginStringArray* a, std::int32_t i) {
    if (!a || i < 0 || std::size_t(i) >= a->items.size()) return nullptr;
    return &a->items[std::size_t(i)];
}

PluginString argument(const QString& text) { return PluginString{text.toUtf8().toStdString(), QUORRIL_PLUGIN_ENCODING_UTF8}; }

// The text of a string: its bytes read in the encoding it is marked with.
QString textOf(const PluginString& s) {
    const char* bytes = s.bytes.data();
    const auto n = qsizetype(s.bytes.size());
    return s.encoding == QUORRIL_PLUGIN_ENCODING_UTF8 ? QString::fromUtf8(bytes, n) : QString::fromLatin1(bytes, n);
}

// A string a plug-in answered: the host's now, read and released.
QString takeString(PluginString* s) {
    if (!s) return QString();
    const QString text = textOf(*s);
    delete s;
    return text;
}

// ---- Message box, keyboard, bounds ---------------------------------------------------------------

// The program's own message box; none without a GUI to show it in.
void msgBox(PluginString* text) {
    if (text && qobject_cast<QApplication*>(QCoreApplication::instance())) MsgBox(textOf(*text));
}

// The keyboard's state is not for a plug-in to read here: no key is down.
void getKeys(unsigned char map[16]) {
    if (map) std::memset(map, 0, 16);
}

// The control has no pane: its rectangle is empty.
void controlBounds(PluginInstance*, PluginRect* r) {
    if (r) *r = PluginRect{0, 0, 0, 0};
}

// ---- The event loop --------------------------------------------------------------------------------

// A watch of a descriptor for reading, the one wait a plug-in asks of the main loop: Bonjour's
// avahi thread makes every wait on the daemon itself and wakes the main thread through an eventfd.
class HostWatch : public QObject {
public:
    HostWatch(int fd, int events, PluginWatchCallback cb, void* user) : fd_(fd), cb_(cb), user_(user) {
        if (!(events & POLLIN)) return;
        read_ = new QSocketNotifier(qintptr(fd_), QSocketNotifier::Read, this);
        connect(read_, &QSocketNotifier::activated, this, [this] {
            if (!dead_) cb_(user_, fd_, POLLIN);
        });
    }
    void Free() {
        dead_ = true;
        if (read_) read_->setEnabled(false);
        deleteLater();
    }

private:
    int fd_;
    PluginWatchCallback cb_;
    void* user_;
    QSocketNotifier* read_ = nullptr;
    bool dead_ = false;
};

void* watchSocket(int fd, int events, PluginWatchCallback cb, void* user) {
    if (fd < 0 || !cb || !QCoreApplication::instance()) return nullptr;
    return new HostWatch(fd, events, cb, user);
}
void watchSocketFree(void* w) {
    if (w) static_cast<HostWatch*>(w)->Free();
}

// ---- Events --------------------------------------------------------------------------------------

Bonjour* ownerOf(PluginInstance* i) { return i ? i->owner : nullptr; }

// Raises the plug-in's event on the instance's control, while the instance has one.
template <auto raise, class... A>
void deliver(PluginInstance* i, A... args) {
    if (Bonjour* b = ownerOf(i)) (b->*raise)(args...);
}

template <class F>
PluginRoutine routine(F f) {
    return reinterpret_cast<PluginRoutine>(f);
}

// The handler of that event of that instance: the program's, when its control has one bound.
PluginRoutine getEventInstance(PluginInstance* instance, const PluginEventRecord* event) {
    Bonjour* b = ownerOf(instance);
    if (!b || !event || !instance->cls) return nullptr;
    const BoundClass& cls = *instance->cls;
    const std::ptrdiff_t k = event - cls.record->events;
    if (k < 0 || std::size_t(k) >= cls.events.size()) return nullptr;
    switch (cls.events[std::size_t(k)]) {
        case Found: return b->Browsing_Found ? routine(deliver<&Bonjour::RaiseBrowsingFound, std::int32_t>) : nullptr;
        case Removed: return b->Browsing_Removed ? routine(deliver<&Bonjour::RaiseBrowsingRemoved, std::int32_t>) : nullptr;
        case Resolved: return b->Browsing_Resolved ? routine(deliver<&Bonjour::RaiseBrowsingResolved, std::int32_t>) : nullptr;
        case Published: return b->Publish_Published ? routine(deliver<&Bonjour::RaisePublishPublished>) : nullptr;
        case Stopped: return b->Publish_Stopped ? routine(deliver<&Bonjour::RaisePublishStopped>) : nullptr;
        case Error: return b->Publish_Error ? routine(deliver<&Bonjour::RaisePublishError, std::int32_t>) : nullptr;
        default: return nullptr;
    }
}

// ---- Registration ----------------------------------------------------------------------------------

// The host speaks the one version of the interface there is: the plug-in's changes nothing.
void registerVersion(std::int32_t) {}

// The program knows one plug-in class, Bonjour; a record it cannot read is left out.
void registerControl(PluginControlRecord* record) {
    if (!record || !record->name || std::strcmp(record->name, "Bonjour") != 0) return;
    if (record->dataSize < 0 || record->dataSize > kMaxDataSize) return;
    if (record->methodCount < 0 || record->methodCount > kMaxRecords || (record->methodCount > 0 && !record->methods)) return;
    if (record->eventCount < 0 || record->eventCount > kMaxRecords || (record->eventCount > 0 && !record->events)) return;
    try {
        auto cls = std::make_shared<BoundClass>();
        cls->record = record;
        record->dataOffset = kDataOffset;
        for (std::int32_t m = 0; m < record->methodCount; ++m) {
            const PluginMethodRecord& r = record->methods[m];
            if (!r.declaration || !r.function) continue;
            const std::string declared = std::string("Bonjour.") + r.declaration;
            for (std::size_t k = 0; k < MethodCount; ++k)
                if (!cls->methods[k] && declared == kMethodDeclarations[k]) cls->methods[k] = r.function;
        }
        cls->events.assign(std::size_t(record->eventCount), NoEvent);
        for (std::int32_t e = 0; e < record->eventCount; ++e) {
            const char* declared = record->events[e].declaration;
            for (std::size_t k = 0; declared && k < EventCount; ++k)
                if (std::strcmp(declared, kEventDeclarations[k]) == 0) cls->events[std::size_t(e)] = int(k);
        }
        g_class = std::move(cls);
    } catch (...) {
    }
}

// A plug-in registers its global methods too (Bonjour its about text); the program calls none.
void registerMethod(const PluginMethodRecord*) {}

void* hostRoutine(const char* name) {
    static const std::map<std::string, void*> routines = {
        {"RegisterPluginVersion", reinterpret_cast<void*>(&registerVersion)},
        {"PluginRegisterControl", reinterpret_cast<void*>(&registerControl)},
        {"PluginRegisterMethod", reinterpret_cast<void*>(&registerMethod)},
        {"RuntimeMsgBox", reinterpret_cast<void*>(&msgBox)},
        {"GetEventInstance", reinterpret_cast<void*>(&getEventInstance)},
        {"GetControlBounds", reinterpret_cast<void*>(&controlBounds)},
        {"RuntimeUBound", reinterpret_cast<void*>(&ubound)},
        {"RuntimeDirectReadStringArray", reinterpret_cast<void*>(&readStringArray)},
        {"RuntimeGetKeys", reinterpret_cast<void*>(&getKeys)},
        {"StringFromBytes", reinterpret_cast<void*>(&stringFromBytes)},
        {"StringSetEncoding", reinterpret_cast<void*>(&stringSetEncoding)},
        {"StringBytes", reinterpret_cast<void*>(&stringBytes)},
        {"StringRelease", reinterpret_cast<void*>(&stringRelease)},
        {"RuntimeWatchSocket", reinterpret_cast<void*>(&watchSocket)},
        {"RuntimeWatchSocketFree", reinterpret_cast<void*>(&watchSocketFree)},
    };
    auto it = name ? routines.find(name) : routines.end();
    return it == routines.end() ? nullptr : it->second;
}

void* resolver(const char* name) {
    try {
        void* own = hostRoutine(name);
        return g_hook ? g_hook(name, own) : own;
    } catch (...) {
        return nullptr;
    }
}

// ---- The control's backend over a plug-in instance ---------------------------------------------------

class PluginBackend : public BonjourBackend {
public:
    PluginBackend(Bonjour& owner, std::shared_ptr<const BoundClass> cls) : cls_(std::move(cls)) {
        const PluginControlRecord& r = *cls_->record;
        size_ = std::size_t(kDataOffset) + std::size_t(std::max(r.dataSize, 1));
        void* memory = ::operator new(size_, std::align_val_t(alignof(PluginInstance)));
        std::memset(memory, 0, size_);
        instance_ = static_cast<PluginInstance*>(memory);
        instance_->cls = cls_.get();
        if (r.behaviour && r.behaviour->constructor) r.behaviour->constructor(instance_);
        instance_->owner = &owner;
    }
    ~PluginBackend() override {
        instance_->owner = nullptr;
        const PluginControlRecord& r = *cls_->record;
        if (r.behaviour && r.behaviour->destructor) r.behaviour->destructor(instance_);
        ::operator delete(instance_, size_, std::align_val_t(alignof(PluginInstance)));
    }

    void Browsing_Start(const QString& service) override {
        PluginString s = argument(service);
        call<void (*)(PluginInstance*, PluginString*)>(BrowsingStart, &s);
    }
    void Browsing_Stop() override { call<void (*)(PluginInstance*)>(BrowsingStop); }
    void Browsing_Clean() override { call<void (*)(PluginInstance*)>(BrowsingClean); }
    std::int32_t Browsing_Count() override {
        return answer(BrowsingCount, std::int32_t(0));
    }
    QString Browsing_HostName(std::int32_t i) override { return text(BrowsingHostName, i); }
    QString Browsing_Name(std::int32_t i) override { return text(BrowsingName, i); }
    QString Browsing_Str(std::int32_t i, std::int32_t k) override { return text(BrowsingStr, i, k); }
    std::int32_t Browsing_CountAddresses(std::int32_t i) override {
        return answer(BrowsingCountAddresses, std::int32_t(-1), i);
    }
    QString Browsing_Addresses(std::int32_t i, std::int32_t k) override { return text(BrowsingAddresses, i, k); }
    std::int32_t Browsing_Port(std::int32_t i, std::int32_t k) override {
        return answer(BrowsingPort, std::int32_t(-1), i, k);
    }
    void Publishing_Start(const QString& service, const QString& name, const QStringList& str) override {
        PluginString s = argument(service), n = argument(name);
        PluginStringArray a = array(str);
        call<void (*)(PluginInstance*, PluginString*, PluginString*, PluginStringArray*)>(PublishingStart, &s, &n, &a);
    }
    void Publishing_StartPort(const QString& service, const QString& name, const QStringList& str, std::int32_t port) override {
        PluginString s = argument(service), n = argument(name);
        PluginStringArray a = array(str);
        call<void (*)(PluginInstance*, PluginString*, PluginString*, PluginStringArray*, std::int32_t)>(PublishingStartPort, &s, &n, &a, port);
    }
    void Publishing_Stop() override { call<void (*)(PluginInstance*)>(PublishingStop); }
    bool is_available() override { return answer(IsAvailable, false); }

private:
    static PluginStringArray array(const QStringList& list) {
        PluginStringArray a;
        for (const QString& s : list) a.items.push_back(argument(s));
        return a;
    }
    // An entry the plug-in did not bind is never called: the call does nothing.
    template <class F, class... A>
    void call(Method m, A... args) {
        if (PluginRoutine r = cls_->methods[m]) reinterpret_cast<F>(r)(instance_, args...);
    }
    template <class R, class... A>
    R answer(Method m, R fallback, A... args) {
        if (PluginRoutine r = cls_->methods[m]) return reinterpret_cast<R (*)(PluginInstance*, A...)>(r)(instance_, args...);
        return fallback;
    }
    template <class... A>
    QString text(Method m, A... args) {
        PluginRoutine r = cls_->methods[m];
        if (!r) return Bonjour::Null();
        return takeString(reinterpret_cast<PluginString* (*)(PluginInstance*, A...)>(r)(instance_, args...));
    }

    std::shared_ptr<const BoundClass> cls_;
    PluginInstance* instance_ = nullptr;
    std::size_t size_ = 0;
};

void installMaker() {
    Bonjour::SetBackendMaker([](Bonjour& control) -> std::unique_ptr<BonjourBackend> {
        if (!g_class) return nullptr;
        return std::make_unique<PluginBackend>(control, g_class);
    });
}

}  // namespace

bool LoadPlugins() {
    if (!QCoreApplication::instance()) return false;
    return LoadPlugin(QCoreApplication::applicationDirPath() + QStringLiteral("/libBonjour.so"));
}

bool LoadPlugin(const QString& path) {
    const PluginMainFn entry = LoadPluginLibrary(path);
    if (!entry) return false;
    g_class.reset();
    entry(resolver);
    if (!g_class) return false;
    installMaker();
    return true;
}

void SetPluginResolverHook(PluginResolverHook hook) { g_hook = std::move(hook); }

}  // namespace fw
