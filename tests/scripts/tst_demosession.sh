#!/usr/bin/env bash
# The demo's stand-in site lives as long as the demo's session: demosession
# returns the command's own exit status, and only after the last program of a
# chain of hand-overs (each starting the next, detached, and ending at once)
# has ended.
# Usage: tst_demosession.sh <path of demosession>
set -euo pipefail
session="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cat > "$work/link" <<'LINK'
#!/usr/bin/env bash
n=$1
sleep 0.05
if [ "$n" -gt 0 ]; then
  setsid "$0" $((n - 1)) </dev/null >/dev/null 2>&1 &
else
  sleep 1
  touch "$(dirname "$0")/done"
fi
exit 3
LINK
chmod +x "$work/link"

for round in 1 2 3; do
  rm -f "$work/done"
  status=0
  "$session" "$work/link" 30 || status=$?
  if [ ! -f "$work/done" ]; then
    echo "round $round: the session ended while its programs still ran" >&2
    exit 1
  fi
  if [ "$status" -ne 3 ]; then
    echo "round $round: the session returned $status, not the command's 3" >&2
    exit 1
  fi
done

status=0
"$session" "$work/no-such-program" 2>/dev/null || status=$?
[ "$status" -eq 127 ] || { echo "a missing command returned $status" >&2; exit 1; }
echo "demosession outlasts every hand-over"
