#pragma once
// Loading a plug-in library file. The program never links a plug-in: it opens the file, checks
// that it holds a whole shared library of this build, and hands that very file to the dynamic
// loader. What the library then registers is the plug-in host's business (framework/pluginhost.h).
#include "framework/plugin_interface.h"

#include <QString>

namespace fw {

// The entry (REALPluginMain) of the library at path, loaded for the rest of the run; null when the
// file is missing, not a regular file, unreadable, not a whole library of this build, fails to
// load or exports no entry. A library loaded already answers its entry again.
PluginMainFn LoadPluginLibrary(const QString& path);

}  // namespace fw
