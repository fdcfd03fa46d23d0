#!/usr/bin/env bash
# Runs a command and fails when it left something new in the source tree: a build or a test
# writes only into the build folder.
#   leaves-source-alone.sh SOURCE_ROOT command [args...]
set -uo pipefail
root=$1
shift
# The top of the tree and the seed corpus, where a stray build or a growing corpus would land.
snapshot() { (cd "$root" && ls -A . tests/fuzz/corpus) 2>/dev/null; }
before=$(snapshot)
"$@"
status=$?
after=$(snapshot)
if [ "$before" != "$after" ]; then
  echo "leaves-source-alone: the command wrote into the source tree:" >&2
  diff <(echo "$before") <(echo "$after") >&2
  exit 1
fi
exit $status
