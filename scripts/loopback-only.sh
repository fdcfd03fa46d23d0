#!/usr/bin/env bash
# Runs a command in a network of its own that holds only the loopback interface, so whatever it
# does can reach 127.0.0.0/8 and nothing else: no test or benchmark can ever connect to another
# machine, and port 1234 is its own. Needs root, or unprivileged user namespaces.
#   loopback-only.sh command [args...]
set -euo pipefail
# Debian keeps the daemons and network tools (avahi-daemon, ip) in /usr/sbin and /sbin, which an
# ordinary user's PATH leaves out: they are found there whoever runs this.
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"
# Scripts that run themselves through this one see it is done.
export QUORRIL_LOOPBACK_ONLY=1
inner='ip link set lo up && exec "$@"'
if unshare -n true 2>/dev/null; then
  exec unshare -n sh -c "$inner" sh "$@"
elif unshare -rn true 2>/dev/null; then
  exec unshare -rn sh -c "$inner" sh "$@"
fi
echo "loopback-only: cannot make a private network here (unshare -n and unshare -rn both fail)" >&2
exit 1
