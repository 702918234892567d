#!/bin/sh
# Runs a command in an X server of its own. Xvfb picks a free display number itself and
# reports it (-displayfd), so tests that run side by side never share or take over one
# another's server, as xvfb-run -a can when two servers start at the same moment.
# -noreset: the server would otherwise reset when its last client goes, and refuse the
# next one meanwhile.
set -u
work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"' EXIT
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
read -r number < "$work/display" || true
if [ -z "${number:-}" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
DISPLAY=":$number" "$@"
