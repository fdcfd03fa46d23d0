#!/usr/bin/env bash
# Tries the README's `make test` as a new player would on a fresh Debian machine of the given
# release: a plain debootstrap tree, entered as a machine of its own, an ordinary user with sudo
# rights, a clone of the project in their home, `make test` in their login shell; then the same
# again once their sudo rights are gone, which must find nothing to install. Needs root.
#   scripts/test-on-debian.sh RELEASE      (trixie, bookworm, or 13, 12)
#
# The tree is entered with pivot_root in a mount namespace of its own, not with chroot: the
# kernel refuses a chrooted process the user namespaces an ordinary user's `make test` needs.
set -euo pipefail
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"
root=$(cd "$(dirname "$0")/.." && pwd)

case "${1:-}" in
  13|trixie) release=trixie ;;
  12|bookworm) release=bookworm ;;
  *) echo "usage: $0 trixie|bookworm|13|12" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "test-on-debian: needs root (debootstrap, mounts)" >&2; exit 2; }

say() { echo "test-on-debian[$release]: $*"; }
started=$(date +%s)
phase_start=$started
phase() {
  local now
  now=$(date +%s)
  say "phase '$1' took $((now - phase_start)) s"
  phase_start=$now
}

# The Debian archive this machine's apt already uses: the first "deb" source of the main
# component whose suite is a release of its own (not -security, not -updates).
mirror() {
  {
    # One-line sources: deb [options] URI SUITE COMPONENTS...
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      sed -e 's/#.*//' -e 's/\[[^]]*\]//' |
      awk '$1 == "deb" && $3 !~ /-/ { for (i = 4; i <= NF; i++) if ($i == "main") { print $2; exit } }'
    # deb822 sources: stanzas separated by blank lines.
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -r "$f" ] || continue
      awk 'BEGIN { RS = ""; FS = "\n" }
        {
          types = uris = suites = comps = ""
          for (i = 1; i <= NF; i++) {
            line = $i; sub(/#.*/, "", line)
            if (line ~ /^Types:/) types = line
            if (line ~ /^URIs:/) { uris = line; sub(/^URIs:[ \t]*/, "", uris) }
            if (line ~ /^Suites:/) suites = line
            if (line ~ /^Components:/) comps = line
          }
          if (types ~ /[ \t]deb([ \t]|$)/ && comps ~ /[ \t]main([ \t]|$)/) {
            n = split(suites, s, /[ \t]+/)
            for (j = 2; j <= n; j++) if (s[j] != "" && s[j] !~ /-/) { split(uris, u, /[ \t]+/); print u[1]; exit }
          }
        }' "$f"
    done
  } | head -n1
}
archive=$(mirror)
[ -n "$archive" ] || { say "FAILED: no Debian archive found in this machine's apt sources"; exit 1; }

if ! command -v debootstrap >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
fi
[ -e "/usr/share/debootstrap/scripts/$release" ] || {
  say "FAILED: this machine's debootstrap does not know $release"; exit 1; }

tree=$(mktemp -d "${TMPDIR:-/var/tmp}/quorril-$release.XXXXXX")
# It becomes the machine's root folder, which every account must be able to enter.
chmod 0755 "$tree"
machine_pid=""
cleanup() {
  local rc=$?
  # Everything the machine runs lives in its own PID namespace under machine_pid: ending that
  # process's group ends them all, and with them the namespace's mounts.
  if [ -n "$machine_pid" ] && kill -0 "$machine_pid" 2>/dev/null; then
    kill -TERM -- "-$machine_pid" 2>/dev/null || kill -TERM "$machine_pid" 2>/dev/null || true
    wait "$machine_pid" 2>/dev/null || true
  fi
  # Nothing of the tree may be mounted out here; should something be, leave the tree rather than
  # remove files through a mount.
  if findmnt -rn -o TARGET | grep -q "^$tree"; then
    say "left $tree in place: something is still mounted there"
  else
    rm -rf --one-file-system "$tree"
  fi
  say "total $(( $(date +%s) - started )) s"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

say "debootstrap $release from $archive into $tree"
if ! debootstrap "$release" "$tree" "$archive" >"$tree.debootstrap.log" 2>&1; then
  tail -n 20 "$tree.debootstrap.log" >&2
  rm -f "$tree.debootstrap.log"
  say "FAILED: debootstrap could not make a $release tree from $archive"
  exit 1
fi
rm -f "$tree.debootstrap.log"
phase debootstrap

# Package scripts start no daemon on this machine.
printf '#!/bin/sh\nexit 101\n' >"$tree/usr/sbin/policy-rc.d"
chmod 0755 "$tree/usr/sbin/policy-rc.d"
# The machine's name, and name service, as the host has them.
cp /etc/resolv.conf "$tree/etc/resolv.conf"
hostname >"$tree/etc/hostname"
printf '127.0.0.1\tlocalhost\n127.0.1.1\t%s\n::1\tlocalhost ip6-localhost ip6-loopback\n' "$(hostname)" >"$tree/etc/hosts"
# The project as committed, for the user to clone.
git clone -q --bare "$root" "$tree/srv/quorril.git"
chmod -R a+rX "$tree/srv/quorril.git"

# What the machine does, as its root: what a user's machine has before the README, the user, and
# the README's command as that user, twice.
cat >"$tree/root/quorril-machine.sh" <<'EOF'
#!/bin/bash
set -euo pipefail
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8
release=$1 started=$(date +%s)
say() { echo "test-on-debian[$release]: $*"; }
phase() { local now; now=$(date +%s); say "phase '$1' took $((now - started)) s"; started=$now; }

apt-get update -qq
apt-get install -y -qq --no-install-recommends sudo make git locales >/dev/null
sed -i 's/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
locale-gen >/dev/null
echo 'LANG=en_US.UTF-8' >/etc/default/locale
useradd --create-home --shell /bin/bash --groups sudo player
echo 'player ALL=(ALL:ALL) NOPASSWD: ALL' >/etc/sudoers.d/player
chmod 0440 /etc/sudoers.d/player
chown -R player: /srv/quorril.git
runuser -l player -c 'git clone -q /srv/quorril.git quorril'
phase 'a user machine'

say "make test as player, with sudo rights"
runuser -l player -c 'echo "PATH=$PATH"; cd quorril && make test'
phase 'make test, installing'

rm /etc/sudoers.d/player
gpasswd -d player sudo >/dev/null
if runuser -l player -c 'sudo -n true' 2>/dev/null; then
  say "FAILED: player still has sudo rights"; exit 1
fi
say "make test as player, without sudo rights"
runuser -l player -c 'cd quorril && make test'
phase 'make test, nothing to install'
EOF
chmod 0755 "$tree/root/quorril-machine.sh"

# Inside a mount and PID namespace of its own: the tree's mounts, then pivot_root into it, and the
# host's root let go of. Mounts made here never propagate back to the host.
enter='
set -eu
t=$1; shift
mount --make-rprivate /
mount --bind "$t" "$t"
mount -t proc proc "$t/proc"
mount --rbind /sys "$t/sys"
mount --rbind /dev "$t/dev"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$t/dev/shm"
mount -t tmpfs -o mode=0755,nosuid,nodev run "$t/run"
mkdir -p "$t/run/lock" "$t/.host"
cd "$t"
pivot_root . .host
cd /
umount -l /.host
rmdir /.host
exec env -i TERM=dumb HOME=/root "$@"
'
setsid unshare --mount --pid --fork --kill-child --propagation private \
  sh -c "$enter" sh "$tree" /root/quorril-machine.sh "$release" </dev/null &
machine_pid=$!
if wait "$machine_pid"; then
  machine_pid=""
  phase 'the machine, in all'
  say "PASSED: make test on a fresh $release, with sudo rights and then without"
else
  rc=$?
  machine_pid=""
  say "FAILED: make test on a fresh $release (exit $rc)"
  exit 1
fi
