#pragma once
// The plug-in's side of the host: the resolver, the host routines looked up through it, and
// the string and array conversions. A routine the host does not supply turns what needs it into
// nothing: a call answers 0 or no object.
#include "framework/plugin_interface.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bonjour {

// The host routines the plug-in uses, by the names the resolver answers them under.
enum class Routine : int {
    RegisterPluginVersion,
    PluginRegisterControl,
    PluginRegisterMethod,
    RuntimeMsgBox,
    GetEventInstance,
    GetControlBounds,
    RuntimeUBound,
    RuntimeDirectReadStringArray,
    RuntimeGetKeys,
    StringFromBytes,
    StringSetEncoding,
    StringBytes,
    StringRelease,
    RuntimeWatchSocket,
    RuntimeWatchSocketFree,
    Count
};

// Keeps the resolver for the life of the process; a new resolver forgets every routine
// remembered from the one before.
void SetResolver(PluginResolver resolver);

// The routine, looked up on its first use and remembered; null when the host has none.
void* Lookup(Routine r);
template <class F>
F Find(Routine r) {
    return reinterpret_cast<F>(Lookup(r));
}

// A new host string with the bytes, marked as UTF-8 when utf8; null without the routines.
PluginString* NewString(std::string_view bytes, bool utf8);
// The bytes of a host string (empty for a missing string or without the routine).
std::string ReadBytes(PluginString* s);
// Elements 0 to the upper bound of a host array of strings.
std::vector<std::string> ReadStrings(PluginStringArray* array);

}  // namespace bonjour
