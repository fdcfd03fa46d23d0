#!/usr/bin/env bash
# Waits until the window manager on $DISPLAY handles events from its main loop, then returns 0;
# 1 if it does not within 30 s, or as soon as the process PID, when given, has ended.
#   wm-ready.sh [PID]
#
# openbox names itself on the root window (_NET_SUPPORTING_WM_CHECK) early in its start-up, and
# a window mapped after that but before its main loop runs can sit unseen in its queue until some
# other event wakes it: the window then never shows. A start-up slowed by a font cache it has to
# build makes that likely. So: openbox writes the desktop names back whenever they are deleted, and
# only its main loop does that. Delete them, and wake it with a property change of our own until
# they are back.
set -u
pid=${1:-}
has() { xprop -root "$1" 2>/dev/null | grep -q "$2"; }
deadline=$((SECONDS + 30))
waiting() { [ "$SECONDS" -lt "$deadline" ] && { [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null; }; }
until has _NET_SUPPORTING_WM_CHECK 'window id' && has _NET_DESKTOP_NAMES '='; do
  waiting || exit 1
  sleep 0.1
done
xprop -root -remove _NET_DESKTOP_NAMES 2>/dev/null
# Every change of a property is an event, even to the value it had.
until has _NET_DESKTOP_NAMES '='; do
  waiting || exit 1
  xprop -root -f _QUORRIL_WAKE 32c -set _QUORRIL_WAKE 1
  sleep 0.1
done
xprop -root -remove _QUORRIL_WAKE 2>/dev/null
exit 0
