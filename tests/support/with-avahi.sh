#!/usr/bin/env bash
# Runs a command beside a DNS-SD daemon of its own, and stops the daemon after.
#
#   with-avahi.sh COMMAND [ARGS...]
#
# Nothing of the machine's own bus or daemon is touched, and runs started at the same time never
# meet:
# - the command runs in a private network namespace (lo up, 127.0.0.2 added to it), so the
#   daemon's multicast stays inside; the daemon answers for the host with 127.0.0.2;
# - a private system bus listens on a socket in a temporary folder, and DBUS_SYSTEM_BUS_ADDRESS
#   points the command and the daemon at it;
# - avahi-daemon runs in a private mount namespace with a tmpfs on /run/avahi-daemon (its pid file
#   and socket) and an empty /etc/avahi/services, on lo only, IPv4 only, without wide-area; it
#   neither switches user nor chroots, so an ordinary user's run works as root's does.
#
# The command gets QUORRIL_AVAHI_CTL, a script that stops ("stop") and starts ("start") the
# daemon again, for tests of a daemon that goes away and comes back.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${QUORRIL_AVAHI_NETNS:-}" ]; then
  export QUORRIL_AVAHI_NETNS=1
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare --net -- "$0" "$@"
  else
    exec unshare --map-root-user --net -- "$0" "$@"
  fi
fi

ip link set lo up
ip addr add 127.0.0.2/8 dev lo 2>/dev/null || true

dir=$(mktemp -d "${TMPDIR:-/tmp}/quorril-avahi.XXXXXX")
bus_pid=""
cleanup() {
  "$dir/avahi-ctl" stop >/dev/null 2>&1 || true
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null && wait "$bus_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cat >"$dir/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$dir/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
EOF

cat >"$dir/avahi-daemon.conf" <<EOF
[server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=lo
enable-dbus=yes
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
[reflector]
[rlimits]
EOF

# The daemon insists that its runtime folder belongs to its own account, even when it keeps the
# user it was started as. Inside a user namespace that account's uid is not mapped, so no chown can
# give the folder to it: the daemon's mount namespace sees an account list where "avahi" is whoever
# runs it (root inside the namespace), which owns the fresh tmpfs already.
sed "s/^avahi:\([^:]*\):[0-9]*:[0-9]*:/avahi:\1:$(id -u):$(id -g):/" /etc/passwd >"$dir/passwd"
sed "s/^avahi:\([^:]*\):[0-9]*:/avahi:\1:$(id -g):/" /etc/group >"$dir/group"

# The daemon's own start and stop, in its private mount namespace.
cat >"$dir/avahi-run" <<'EOF'
#!/usr/bin/env bash
set -e
dir=$1
mount --bind "$dir/passwd" /etc/passwd
mount --bind "$dir/group" /etc/group
if [ -d /run/avahi-daemon ]; then
  mount -t tmpfs tmpfs /run/avahi-daemon
else
  mount -t tmpfs tmpfs /run
  mkdir -p /run/avahi-daemon
fi
[ -d /etc/avahi/services ] && mount -t tmpfs tmpfs /etc/avahi/services
exec avahi-daemon -f "$dir/avahi-daemon.conf" --no-drop-root --no-chroot --no-rlimits --no-proc-title
EOF
chmod +x "$dir/avahi-run"

cat >"$dir/avahi-ctl" <<EOF
#!/usr/bin/env bash
# stop | start: the test daemon of this run.
set -u
dir=$dir
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=\$dir/system_bus_socket
case "\${1:-}" in
  start)
    : >"\$dir/avahi.log"
    unshare --mount --propagation private -- "\$dir/avahi-run" "\$dir" >>"\$dir/avahi.log" 2>&1 &
    echo \$! >"\$dir/avahi.pid"
    for _ in \$(seq 200); do
      grep -q "Server startup complete" "\$dir/avahi.log" && exit 0
      kill -0 "\$(cat "\$dir/avahi.pid")" 2>/dev/null || break
      sleep 0.05
    done
    echo "with-avahi: avahi-daemon did not start:" >&2
    cat "\$dir/avahi.log" >&2
    exit 1
    ;;
  stop)
    [ -f "\$dir/avahi.pid" ] || exit 0
    pid=\$(cat "\$dir/avahi.pid")
    rm -f "\$dir/avahi.pid"
    kill "\$pid" 2>/dev/null || exit 0
    for _ in \$(seq 200); do kill -0 "\$pid" 2>/dev/null || exit 0; sleep 0.05; done
    kill -9 "\$pid" 2>/dev/null
    ;;
  *) echo "usage: \$0 start|stop" >&2; exit 2 ;;
esac
EOF
chmod +x "$dir/avahi-ctl"

dbus-daemon --config-file="$dir/bus.conf" --nofork --nopidfile >"$dir/bus.log" 2>&1 &
bus_pid=$!
for _ in $(seq 200); do [ -S "$dir/system_bus_socket" ] && break; sleep 0.05; done
if [ ! -S "$dir/system_bus_socket" ]; then
  echo "with-avahi: the private bus did not start:" >&2
  cat "$dir/bus.log" >&2
  exit 1
fi

export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/system_bus_socket"
export QUORRIL_AVAHI_CTL="$dir/avahi-ctl"
"$dir/avahi-ctl" start

status=0
"$@" || status=$?
exit "$status"
