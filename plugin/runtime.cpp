#include "plugin/runtime.h"

#include <array>

namespace bonjour {

namespace {

PluginResolver g_resolver = nullptr;
std::array<void*, std::size_t(Routine::Count)> g_routines{};
std::array<bool, std::size_t(Routine::Count)> g_looked{};

constexpr std::array<const char*, std::size_t(Routine::Count)> kNames = {
    "RegisterPluginVersion",
    "PluginRegisterControl",
    "PluginRegisterMethod",
    "RuntimeMsgBox",
    "GetEventInstance",
    "GetControlBounds",
    "RuntimeUBound",
    "RuntimeDirectReadStringArray",
    "RuntimeGetKeys",
    "StringFromBytes",
    "StringSetEncoding",
    "StringBytes",
    "StringRelease",
    "RuntimeWatchSocket",
    "RuntimeWatchSocketFree",
};

}  // namespace

void SetResolver(PluginResolver resolver) {
    g_resolver = resolver;
    g_routines.fill(nullptr);
    g_looked.fill(false);
}

void* Lookup(Routine r) {
    const auto i = std::size_t(r);
    if (!g_looked[i]) {
        g_looked[i] = true;
        g_routines[i] = g_resolver ? g_resolver(kNames[i]) : nullptr;
    }
    return g_routines[i];
}

PluginString* NewString(std::string_view bytes, bool utf8) {
    auto make = Find<PluginStringFromBytesFn>(Routine::StringFromBytes);
    if (!make || bytes.size() > std::size_t(INT32_MAX)) return nullptr;
    PluginString* s = make(bytes.data(), std::int32_t(bytes.size()));
    if (s && utf8) {
        if (auto mark = Find<PluginStringSetEncodingFn>(Routine::StringSetEncoding)) mark(s, QUORRIL_PLUGIN_ENCODING_UTF8);
    }
    return s;
}

std::string ReadBytes(PluginString* s) {
    auto read = Find<PluginStringBytesFn>(Routine::StringBytes);
    if (!s || !read) return {};
    std::int32_t n = 0;
    const char* p = read(s, &n);
    return p && n > 0 ? std::string(p, std::size_t(n)) : std::string();
}

std::vector<std::string> ReadStrings(PluginStringArray* array) {
    std::vector<std::string> out;
    auto ubound = Find<PluginUBoundFn>(Routine::RuntimeUBound);
    auto read = Find<PluginReadStringArrayFn>(Routine::RuntimeDirectReadStringArray);
    if (!array || !ubound || !read) return out;
    const std::int32_t last = ubound(array);
    for (std::int32_t i = 0; i <= last; ++i) out.push_back(ReadBytes(read(array, i)));
    return out;
}

}  // namespace bonjour
