#!/usr/bin/env bash
# Runs `make test` as an ordinary user, as a desktop user of a Debian machine would: a copy of the
# tree that the user owns, with a build of their own, so that a test that only passes as root is
# caught. Run as root, it makes that user when missing (quorril-ci unless given); run as an
# ordinary user, `make test` already is that run and nothing more is done.
#   scripts/test-as-user.sh [user]
set -euo pipefail
PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"
root=$(cd "$(dirname "$0")/.." && pwd)
user=${1:-quorril-ci}

if [ "$(id -u)" -ne 0 ]; then
  echo "test-as-user: already an ordinary user; 'make test' is this run"
  exit 0
fi
id -u "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"

tree=$(mktemp -d "${TMPDIR:-/tmp}/quorril-as-user.XXXXXX")
trap 'rm -rf "$tree"' EXIT
# What git tracks or would track; a tree that is not a checkout is copied whole, without builds.
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$root" ls-files -z --cached --others --exclude-standard |
    tar -C "$root" --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$tree"
else
  tar cf - -C "$root" --exclude='./build*' . | tar xf - -C "$tree"
fi
chown -R "$user:" "$tree"
chmod 0755 "$tree"

echo "test-as-user: make test as $user in $tree"
# A login shell of that user's own: the environment and PATH that /etc/profile gives them (on
# Debian without /usr/sbin), none of root's.
runuser -l "$user" -c "echo \"test-as-user: PATH=\$PATH\"; make -C '$tree' test"
