#!/usr/bin/env bash
# cmake/wine-run's choice of how a win32 program runs, with a stand-in
# runner that records how it was called:
#
#   wine_run_test.sh WINE_RUN
#
# Where 32-bit Wine starts, a runner named by KOLVANE_WINE32_RUNNER must be
# left alone. Where it cannot start, the program must reach the runner with
# its arguments intact and none of the settings for a natively started
# loader, its exit status must come back, the prefix must be made once
# (--prepare makes it and runs no program), runners started at the same
# moment must not break each other, and without a runner the program
# counts as skipped.
set -euo pipefail
wine_run=$1
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cat >"$t/runner" <<'RUNNER'
#!/bin/sh
# The runner's contract: RUNNER PREFIX PROGRAM ARGS..., exit status the program's.
if [ "$2" = wineboot ]; then
  echo made >>"$T/made"
  mkdir -p "$1" && touch "$1/system.reg"
  exit 0
fi
{ printf '%s\n' "$@"; echo "WINEARCH=${WINEARCH-unset} WINELOADER=${WINELOADER-unset} WINEPREFIX=${WINEPREFIX-unset}"; } >"$T/called"
exit 42
RUNNER
chmod +x "$t/runner"
export T=$t
unset KOLVANE_WINE32_RUNNER

native=$("$wine_run" --which win32)
if [[ $native == *"run under"* ]]; then
  got=$(KOLVANE_WINE32_RUNNER=$t/runner "$wine_run" --which win32)
  [ "$got" = "$native" ] || fail "32-bit Wine starts here, yet with a runner: $got"
  exit $failed
fi

# No runner: skipped.
rc=0
"$wine_run" "$t/prefix" win32 prog.exe 2>/dev/null || rc=$?
[ $rc -eq 77 ] || fail "without a runner: exit $rc, expected 77"
rc=0
"$wine_run" --prepare "$t/prefix" win32 2>/dev/null || rc=$?
[ $rc -eq 77 ] || fail "--prepare without a runner: exit $rc, expected 77"

export KOLVANE_WINE32_RUNNER=$t/runner
got=$("$wine_run" --which win32)
[[ $got == *"through $t/runner"* ]] || fail "--which win32: $got"
got=$("$wine_run" --which win64)
[[ $got != *runner* ]] || fail "win64 goes through the win32 runner: $got"

# Prepared first, then run twice with settings a native run would use: the
# prefix is made once, the program gets its arguments and the runner's
# status comes back.
rc=0
(cd "$t" && "$wine_run" --prepare prefix win32 2>/dev/null) || rc=$?
[ $rc -eq 0 ] || fail "--prepare: exit $rc, expected 0"
[ -f "$t/prefix/system.reg" ] || fail "--prepare made no prefix"
[ ! -e "$t/called" ] || fail "--prepare ran a program: $(cat "$t/called")"
for run in 1 2; do
  rc=0
  err=$(cd "$t" && WINEARCH=win32 WINELOADER=/usr/lib/wine/wine "$wine_run" prefix win32 prog.exe a "b c" 2>&1) || rc=$?
  [ $rc -eq 42 ] || fail "run $run: exit $rc, expected the runner's 42"
  [ "$err" = "wine-run: win32 through $t/runner" ] || fail "run $run: stderr '$err'"
done
[ "$(cat "$t/made" 2>/dev/null)" = made ] || fail "prefix made $(wc -l <"$t/made" 2>/dev/null || echo 0) times, expected once"
expected="$t/prefix
prog.exe
a
b c
WINEARCH=unset WINELOADER=unset WINEPREFIX=$t/prefix"
[ "$(cat "$t/called")" = "$expected" ] || fail "the runner was called as: $(cat "$t/called")"

# A runner that rewrites its own files at every start, as the machines'
# one does, breaks when two start at the same moment: four programs
# started at once, for two prefixes, must all get through.
cat >"$t/racy-runner" <<'RUNNER'
#!/bin/sh
if [ "$2" = wineboot ]; then
  mkdir -p "$1" && touch "$1/system.reg"
  exit 0
fi
echo "loader of $$" >"$T/loader.tmp" && sleep 0.2 && mv "$T/loader.tmp" "$T/loader" || exit 3
exit 0
RUNNER
chmod +x "$t/racy-runner"
pids=()
for n in 1 2 3 4; do
  KOLVANE_WINE32_RUNNER=$t/racy-runner "$wine_run" "$t/prefix$((n % 2))" win32 prog.exe 2>/dev/null &
  pids+=($!)
done
for pid in "${pids[@]}"; do
  rc=0
  wait "$pid" || rc=$?
  [ $rc -eq 0 ] || fail "a runner started beside another: exit $rc, expected 0"
done

# A runner that is no program is an error, not a skip.
rc=0
KOLVANE_WINE32_RUNNER=$t/no-such-runner "$wine_run" "$t/prefix" win32 prog.exe 2>/dev/null || rc=$?
[ $rc -eq 2 ] || fail "a missing runner: exit $rc, expected 2"

exit $failed
