#!/usr/bin/env bash
# Runs every test: starts what the tests need (a D-Bus system bus and avahi-daemon for service
# discovery), runs ctest, and stops what it started.
set -uo pipefail
build=${1:-build}
started=()

cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT

if [ "$(id -u)" -eq 0 ] && command -v dbus-daemon >/dev/null && command -v avahi-daemon >/dev/null; then
  mkdir -p /run/dbus
  if [ ! -S /run/dbus/system_bus_socket ]; then
    dbus-daemon --system --nofork --nopidfile & started+=($!)
    for _ in $(seq 50); do [ -S /run/dbus/system_bus_socket ] && break; sleep 0.1; done
  fi
  if ! avahi-daemon --check 2>/dev/null; then
    avahi-daemon --no-drop-root --no-chroot --no-rlimits -f /etc/avahi/avahi-daemon.conf >/tmp/quorril-avahi.log 2>&1 & started+=($!)
    sleep 1
  fi
fi

ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
status=$?
exit $status
