#!/bin/sh
# The plug-in exports REALPluginMain and nothing else; the program links neither the plug-in nor
# Avahi (nor the bus Avahi talks over): it loads the plug-in at run time.
set -eu
plugin=$1
program=$2
exported=$(nm -D --defined-only "$plugin" | awk '{print $NF}')
if [ "$exported" != "REALPluginMain" ]; then
  echo "libBonjour.so exports more than REALPluginMain:"; echo "$exported"; exit 1
fi
readelf -d "$plugin" | grep -q 'NEEDED.*libavahi-client' || { echo "libBonjour.so does not use libavahi-client"; exit 1; }
if readelf -d "$program" | grep NEEDED | grep -Ei 'avahi|bonjour|dbus'; then
  echo "quorril links the above"; exit 1
fi
echo "ok: the plug-in exports REALPluginMain alone; quorril needs neither the plug-in nor Avahi"
