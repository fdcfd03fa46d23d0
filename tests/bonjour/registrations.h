#pragma once
// What the plug-in registers with the program's host while it loads, seen through the host's
// resolver hook: the declarations of its control class's methods and of its global methods. The
// registrations go on to the host's routines (or to what the test's own hook gives instead).
#include "framework/plugin_interface.h"
#include "framework/pluginhost.h"

#include <QString>

#include <cstring>
#include <string>
#include <vector>

namespace registrations {

struct Seen {
    bool control = false;                   // a control class was registered
    std::vector<std::string> classMethods;  // its methods, in the plug-in's order
    std::vector<std::string> functions;     // global methods
};

// The Bonjour control's fourteen methods, to the character, as the program binds them.
inline const std::vector<std::string> kBonjourMethods = {
    "Browsing_Start(service as string)",
    "Browsing_Stop()",
    "Browsing_Clean()",
    "Browsing_Count() as integer",
    "Browsing_HostName(i as integer) as string",
    "Browsing_Name(i as integer) as string",
    "Browsing_Str(i as integer, str_i as integer) as string",
    "Browsing_CountAddresses(i as integer) as integer",
    "Browsing_Addresses(i as integer, address_i as integer) as string",
    "Browsing_Port(i as integer, port_i as integer) as integer",
    "Publishing_Start(service as string, name as string, str() as string)",
    "Publishing_StartPort(service as string, name as string, str() as string, port as integer)",
    "Publishing_Stop()",
    "is_available() as boolean",
};

namespace detail {
inline Seen seen;
inline fw::PluginResolverHook inner;
inline PluginRegisterControlFn nextControl = nullptr;
inline PluginRegisterMethodFn nextMethod = nullptr;

inline void control(PluginControlRecord* record) {
    seen.control = record != nullptr;
    seen.classMethods.clear();
    for (std::int32_t i = 0; record && record->methods && i < record->methodCount; ++i)
        if (const char* d = record->methods[i].declaration) seen.classMethods.emplace_back(d);
    if (nextControl) nextControl(record);
}

inline void method(const PluginMethodRecord* record) {
    if (record && record->declaration) seen.functions.emplace_back(record->declaration);
    if (nextMethod) nextMethod(record);
}
}  // namespace detail

// As fw::SetPluginResolverHook(hook), with the registrations seen on their way.
inline void Watch(fw::PluginResolverHook hook = nullptr) {
    detail::inner = std::move(hook);
    fw::SetPluginResolverHook([](const char* name, void* own) -> void* {
        void* given = detail::inner ? detail::inner(name, own) : own;
        if (!given) return nullptr;
        if (std::strcmp(name, "PluginRegisterControl") == 0) {
            detail::nextControl = reinterpret_cast<PluginRegisterControlFn>(given);
            return reinterpret_cast<void*>(&detail::control);
        }
        if (std::strcmp(name, "PluginRegisterMethod") == 0) {
            detail::nextMethod = reinterpret_cast<PluginRegisterMethodFn>(given);
            return reinterpret_cast<void*>(&detail::method);
        }
        return given;
    });
}

// Loads the plug-in at path as the program does, with what it registers seen afresh.
inline bool Load(const QString& path) {
    detail::seen = {};
    return fw::LoadPlugin(path);
}

inline const Seen& Last() { return detail::seen; }

}  // namespace registrations
