#pragma once
// The plug-in host. At start-up the program loads the plug-in it ships beside itself
// (libBonjour.so, in the program's own folder), hands it the resolver, registers the control
// class the plug-in declares and binds the Bonjour control's methods to it by their declaration
// strings; from then on every fw::Bonjour made gets a plug-in instance behind it and receives the
// plug-in's events. The program never links the plug-in: a missing, damaged or unloadable one,
// or one that registers nothing, leaves every control empty and unavailable, and the program runs
// on. A file is loaded only when it is a regular file holding a whole library of this build
// (framework/pluginloader.h).
#include <QString>

#include <functional>

namespace fw {

// Loads libBonjour.so from the program's folder. Answers whether its control class is bound.
bool LoadPlugins();
// Loads the plug-in at path and runs its entry (again, when it is loaded already).
bool LoadPlugin(const QString& path);

// Tests see every routine the plug-in asks the resolver for and decide what it gets: the
// host's routine (passed in), another one, or null to hide it. Null hook: the host's routines.
using PluginResolverHook = std::function<void*(const char* name, void* hostRoutine)>;
void SetPluginResolverHook(PluginResolverHook hook);

}  // namespace fw
