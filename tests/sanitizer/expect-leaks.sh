#!/usr/bin/env bash
# Runs the leak canary under the suite's sanitizer settings (its environment) and passes when
# the report names both of its leaks.
#   expect-leaks.sh CANARY
set -uo pipefail
report=$("$1" 2>&1)
status=$?
fail=0
if [ "$status" -eq 0 ]; then
  echo "expect-leaks: the canary ended well: its leaks were not reported" >&2
  fail=1
fi
for leak in leakFromTimer leakFromShowEvent; do
  if ! grep -q "in .*$leak" <<<"$report"; then
    echo "expect-leaks: the leak in $leak was not reported" >&2
    fail=1
  fi
done
[ "$fail" -eq 0 ] || printf '%s\n' "$report" >&2
exit "$fail"
