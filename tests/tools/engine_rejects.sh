#!/bin/sh
# Runs the engine and checks how it refuses: the exit code, the text of its one
# complaint, and that the complaint is safe to show on a terminal (printable
# ASCII only, and short whatever the input was).
# usage: engine_rejects.sh EXIT_CODE TEXT ENGINE ARGS...   (standard input passed on)
expected_rc=$1 text=$2
shift 2
err=$(mktemp)
trap 'rm -f "$err"' EXIT
"$@" >/dev/null 2>"$err"
rc=$?
fail() { echo "FAIL: $*"; head -c 2000 "$err" | od -c | head -20; exit 1; }
[ "$rc" -eq "$expected_rc" ] || fail "exit code $rc, expected $expected_rc"
grep -qF -- "$text" "$err" || fail "stderr does not say: $text"
[ "$(wc -c <"$err")" -le 1000 ] || fail "stderr is $(wc -c <"$err") bytes long"
[ "$(LC_ALL=C tr -d '\n -~' <"$err" | wc -c)" -eq 0 ] || fail "stderr holds bytes that are not printable ASCII"
echo "ok: $(cat "$err")"
