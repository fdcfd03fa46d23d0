#!/usr/bin/env bash
# Runs a command on one of two machines of a small local network, each with a DNS-SD daemon of its
# own set up as Debian ships it (IPv4 and IPv6), and takes the network down after.
#
#   with-avahi-pair.sh COMMAND [ARGS...]
#
# The two machines are two private network namespaces joined by a veth pair, and nothing else:
# - the command's side, "guest": quorril0, 198.18.0.1/24;
# - the other side, "peer": quorril1, 198.18.0.2/24;
# each end also has the IPv6 link-local address the kernel gives it. The addresses exist only
# inside these namespaces (198.18.0.0/15 is kept for tests of networks) and neither side has a
# route beyond the link, so nothing reaches another machine.
# Each side runs with-avahi.sh on its end of the link with IPv6 on (--ipv6), under a host name of
# its own: a private bus and avahi-daemon.
#
# The command gets, besides what with-avahi.sh gives it for its own daemon:
#   QUORRIL_PEER_BUS      the peer's bus address: a DNS-SD client pointed at it (avahi-publish
#                         with DBUS_SYSTEM_BUS_ADDRESS set to it) announces services on the peer
#   QUORRIL_PEER_CTL      the peer daemon's control script (as QUORRIL_AVAHI_CTL)
#   QUORRIL_PEER_ADDRESS  the peer's IPv4 address
#   QUORRIL_GUEST_ADDRESS the command's own IPv4 address, as the peer reaches it
#   QUORRIL_PEER_NETNS    the peer's network namespace (a /proc/PID/ns/net file), for a test that
#                         makes a listening socket there (setns)
set -euo pipefail
# Debian keeps the daemons and network tools (avahi-daemon, ip) in /usr/sbin and /sbin, which an
# ordinary user's PATH leaves out: they are found there whoever runs this.
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

here=$(cd "$(dirname "$0")" && pwd)
guest_if=quorril0
peer_if=quorril1
guest_address=198.18.0.1
peer_address=198.18.0.2

# Nothing is set up but in a network namespace this script has just made: one whose only links are
# loopback and, on the peer's side, its end of the pair, and which has no route anywhere. (The
# test addresses must never land on the machine's own network, whatever the environment says.)
fresh_namespace() {
  local links
  links=$(ip -o link show | awk -F': ' '{ sub(/@.*/, "", $2); print $2 }' | grep -vx -e lo ${1:+-e "$1"} || true)
  if [ -n "$links" ] || [ -n "$(ip route show)" ] || [ -n "$(ip -6 route show)" ]; then
    echo "with-avahi-pair: not in a network namespace of its own (links: ${links//$'\n'/ }); nothing is set up" >&2
    exit 1
  fi
}

if [ "${1:-}" = "--peer" ]; then
  # The peer's side, in its own namespace: once its end of the link has come, it runs its daemon
  # until its standard input closes (when the guest's side ends, however it ends).
  dir=$2
  for _ in $(seq 200); do ip link show "$peer_if" >/dev/null 2>&1 && break; sleep 0.05; done
  fresh_namespace "$peer_if"
  ip link set lo up
  ip addr add "$peer_address/24" dev "$peer_if"
  ip link set "$peer_if" up
  exec env QUORRIL_AVAHI_NETNS=1 "$here/with-avahi.sh" --interface "$peer_if" --ipv6 --host-name quorril-peer -- \
    bash -c 'printf "%s\n%s\n" "$DBUS_SYSTEM_BUS_ADDRESS" "$QUORRIL_AVAHI_CTL" >"$1/peer.tmp" && mv "$1/peer.tmp" "$1/peer"; cat >/dev/null' \
    peer "$dir"
fi

if [ -z "${QUORRIL_AVAHI_PAIR:-}" ]; then
  export QUORRIL_AVAHI_PAIR=1
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare --net -- "$0" "$@"
  else
    exec unshare --map-root-user --net -- "$0" "$@"
  fi
fi

fresh_namespace
ip link set lo up
dir=$(mktemp -d "${TMPDIR:-/tmp}/quorril-pair.XXXXXX")
peer_pid=""
cleanup() {
  exec 7>&- 2>/dev/null || true
  [ -n "$peer_pid" ] && wait "$peer_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The peer reads the pipe until the guest's side closes it.
mkfifo "$dir/hold"
unshare --net -- "$0" --peer "$dir" <"$dir/hold" &
peer_pid=$!
exec 7>"$dir/hold"

# Its namespace is made once unshare has run: then the link goes in with one end on each side.
own=$(readlink /proc/self/ns/net)
for _ in $(seq 200); do
  ns=$(readlink "/proc/$peer_pid/ns/net" 2>/dev/null || true)
  [ -n "$ns" ] && [ "$ns" != "$own" ] && break
  sleep 0.05
done
ip link add "$guest_if" type veth peer name "$peer_if" netns "$peer_pid"
ip addr add "$guest_address/24" dev "$guest_if"
ip link set "$guest_if" up

# Both daemons start with both addresses of their end usable (an IPv6 address is tentative for a
# moment after the link comes up), so that each game is heard over IPv4 and IPv6 from the start.
link_local_ready() { ip -6 addr show dev "$guest_if" scope link | grep -q inet6 && ! ip -6 addr show dev "$guest_if" | grep -q tentative; }
for _ in $(seq 200); do link_local_ready && break; sleep 0.05; done
for _ in $(seq 400); do [ -f "$dir/peer" ] && break; kill -0 "$peer_pid" 2>/dev/null || break; sleep 0.05; done
if [ ! -f "$dir/peer" ]; then
  echo "with-avahi-pair: the peer did not start" >&2
  exit 1
fi
{ read -r peer_bus; read -r peer_ctl; } <"$dir/peer"

export QUORRIL_PEER_BUS=$peer_bus QUORRIL_PEER_CTL=$peer_ctl QUORRIL_PEER_ADDRESS=$peer_address QUORRIL_GUEST_ADDRESS=$guest_address
export QUORRIL_PEER_NETNS=/proc/$peer_pid/ns/net
status=0
QUORRIL_AVAHI_NETNS=1 "$here/with-avahi.sh" --interface "$guest_if" --ipv6 --host-name quorril-guest -- "$@" 7>&- || status=$?
exit "$status"
