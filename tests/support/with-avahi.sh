#!/usr/bin/env bash
# Runs a command beside a DNS-SD daemon of its own, and stops the daemon after.
#
#   with-avahi.sh [--interface NAME] [--ipv6] [--host-name NAME] [--] COMMAND [ARGS...]
#
# Nothing of the machine's own bus or daemon is touched, and runs started at the same time never
# meet:
# - the command runs in a private network namespace (lo up, 127.0.0.2 added to it), so the
#   daemon's multicast stays inside; the daemon answers for the host with 127.0.0.2. A caller that
#   has made the network already (with-avahi-pair.sh) sets QUORRIL_AVAHI_NETNS, and the command
#   runs in the caller's network;
# - a private system bus listens on a socket in a temporary folder, and DBUS_SYSTEM_BUS_ADDRESS
#   points the command and the daemon at it;
# - avahi-daemon runs in a private mount namespace with a tmpfs on /run/avahi-daemon (its pid file
#   and socket) and a folder of the run's own on /etc/avahi/services, without wide-area; it neither
#   switches user nor chroots, so an ordinary user's run works as root's does.
#
# The daemon runs on lo only, IPv4 only, under the machine's host name, unless told otherwise:
#   --interface NAME   the one interface it uses
#   --ipv6             IPv6 too, as Debian ships it (use-ipv6=yes; A records are still not
#                      published over IPv6, the default of publish-a-on-ipv6)
#   --host-name NAME   the host name it announces
#
# The command gets
#   QUORRIL_AVAHI_CTL       a script that drives the daemon: "stop" and "start" it again, "kill"
#                           it (SIGKILL, it says no goodbye), "pause" and "resume" it (SIGSTOP,
#                           SIGCONT: it takes requests but answers none), "reload" its services;
#   QUORRIL_AVAHI_SERVICES  the daemon's folder of static services (*.service files), read at
#                           each start and reload.
set -euo pipefail
# Debian keeps the daemons and network tools (avahi-daemon, ip) in /usr/sbin and /sbin, which an
# ordinary user's PATH leaves out: they are found there whoever runs this.
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${QUORRIL_AVAHI_NETNS:-}" ]; then
  export QUORRIL_AVAHI_NETNS=1
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare --net -- "$0" "$@"
  else
    exec unshare --map-root-user --net -- "$0" "$@"
  fi
fi

interface=lo
ipv6=no
host_name=
while [ $# -gt 0 ]; do
  case "$1" in
    --interface) interface=$2; shift 2 ;;
    --ipv6) ipv6=yes; shift ;;
    --host-name) host_name=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--interface NAME] [--ipv6] [--host-name NAME] [--] COMMAND [ARGS...]" >&2; exit 2; }

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

{
  echo "[server]"
  [ -n "$host_name" ] && echo "host-name=$host_name"
  echo "use-ipv4=yes"
  echo "use-ipv6=$ipv6"
  echo "allow-interfaces=$interface"
  echo "enable-dbus=yes"
  echo "ratelimit-interval-usec=1000000"
  echo "ratelimit-burst=1000"
  echo "[wide-area]"
  echo "enable-wide-area=no"
  echo "[publish]"
  echo "publish-hinfo=no"
  echo "publish-workstation=no"
  echo "[reflector]"
  echo "[rlimits]"
} >"$dir/avahi-daemon.conf"

mkdir "$dir/services"

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
[ -d /etc/avahi/services ] && mount --bind "$dir/services" /etc/avahi/services
exec avahi-daemon -f "$dir/avahi-daemon.conf" --no-drop-root --no-chroot --no-rlimits --no-proc-title
EOF
chmod +x "$dir/avahi-run"

cat >"$dir/avahi-ctl" <<EOF
#!/usr/bin/env bash
# start | stop | kill | pause | resume | reload: the test daemon of this run.
set -u
dir=$dir
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=\$dir/system_bus_socket
# The daemon this script started, while it still runs: no signal goes to another process.
daemon() {
  [ -f "\$dir/avahi.pid" ] || return 1
  pid=\$(cat "\$dir/avahi.pid")
  [ "\$(cat "/proc/\$pid/comm" 2>/dev/null)" = avahi-daemon ]
}
# Gone once it has ended, reaped or not: where nothing reaps the orphaned daemon (a runner that
# is its PID namespace's first process and waits for its own children only), it stays a zombie.
gone() {
  for _ in \$(seq 200); do
    kill -0 "\$pid" 2>/dev/null || return 0
    grep -q '^State:[[:space:]]*Z' "/proc/\$pid/status" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
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
    daemon || { rm -f "\$dir/avahi.pid"; exit 0; }
    rm -f "\$dir/avahi.pid"
    kill "\$pid" 2>/dev/null || exit 0
    # A paused daemon ends only once it runs again.
    kill -CONT "\$pid" 2>/dev/null
    gone || { kill -9 "\$pid" 2>/dev/null; gone; }
    ;;
  kill)
    daemon || exit 1
    rm -f "\$dir/avahi.pid"
    kill -9 "\$pid" && gone
    ;;
  pause) daemon && kill -STOP "\$pid" ;;
  resume) daemon && kill -CONT "\$pid" ;;
  reload) daemon && kill -HUP "\$pid" ;;
  *) echo "usage: \$0 start|stop|kill|pause|resume|reload" >&2; exit 2 ;;
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
export QUORRIL_AVAHI_SERVICES="$dir/services"
"$dir/avahi-ctl" start

status=0
"$@" || status=$?
exit "$status"
