#!/usr/bin/env bash
# From a fresh Debian 12 machine (as root): installs what is missing, builds everything
# and runs every test. Ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# The tests' support package (tests/fluttera_test) and the Wine choice it shares with us.
export PYTHONPATH=$root/tests${PYTHONPATH:+:$PYTHONPATH}
. scripts/wine-env.sh
results=$(mktemp)
log() { printf '\n=== %s\n' "$*"; }
# record NAME PASSED FAILED
record() { echo "$1 $2 $3" >> "$results"; }
# gtest_counts LOGFILE -> "passed failed"
gtest_counts() {
  local p f
  p=$(grep -Eo '^\[  PASSED  \] [0-9]+' "$1" | tail -1 | grep -Eo '[0-9]+$' || true)
  f=$(grep -Eo '^ *[0-9]+ FAILED TESTS?' "$1" | tail -1 | grep -Eo '^ *[0-9]+' || true)
  echo "${p:-0} ${f:-0}"
}
step_fail() { record "$1" 0 1; echo "FAILED: $1"; }

log "Installing what is missing"
bash scripts/install-deps.sh || { echo "install failed"; exit 1; }

log "Native build, unit tests"
if cmake --preset native >/dev/null && cmake --build build/native -j2; then
  ctest --test-dir build/native --output-on-failure -j2 2>&1 | tee build/native/ctest.log
  p=$(grep -Eo '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' build/native/ctest.log | tail -1)
  total=$(echo "$p" | grep -Eo '[0-9]+$'); failed=$(echo "$p" | grep -Eo 'passed, [0-9]+' | grep -Eo '[0-9]+')
  record native-unit $(( ${total:-0} - ${failed:-0} )) "${failed:-1}"
else
  step_fail native-build
fi

log "The Linux hack: fluttera under Xvfb and the XScreenSaver daemon"
if [ -x build/native/fluttera ]; then
  (cd tests && timeout 300 python3 -m x11.test_hack) > build/native/x11.log 2>&1
  grep -E '(ok|FAIL|ERROR|skipped.*)$|^x11: ' build/native/x11.log
  line=$(grep -E '^x11: [0-9]+ passed, [0-9]+ failed' build/native/x11.log | tail -1)
  if [ -n "$line" ]; then
    record x11 "$(echo "$line" | grep -Eo '[0-9]+ passed' | grep -Eo '[0-9]+')" \
               "$(echo "$line" | grep -Eo '[0-9]+ failed' | grep -Eo '[0-9]+')"
  else
    tail -n 20 build/native/x11.log
    step_fail x11
  fi
else
  step_fail x11-build
fi

log "Benchmarks (short run)"
if [ -x build/native/fluttera_bench ]; then
  build/native/fluttera_bench --benchmark_min_time=0.05 2>&1 | tail -n 20 || step_fail bench
fi

log "Fuzzing the settings codec and the command line (bounded)"
if bash scripts/fuzz.sh "${FLUTTERA_FUZZ_SECONDS:-20}"; then record fuzz 1 0; else step_fail fuzz; fi

log "Cross builds: x86_64 (tested under Wine) and i686 (the 32-bit product)"
if cmake --preset win64 >/dev/null && cmake --build build/win64 -j2; then
  bash scripts/check-pe.sh build/win64/Fluttera.scr x86-64 x86_64-w64-mingw32-objdump && record pe64 1 0 || step_fail pe64
else
  step_fail win64-build
fi
# Where 32-bit Wine runs, the end-to-end tests drive the 32-bit build: its tools too.
fluttera_choose_wine
win32_targets=(Fluttera)
[ "$FLUTTERA_PRESET" = win32 ] && win32_targets+=(button_gallery preview_host)
if cmake --preset win32 >/dev/null && cmake --build build/win32 -j2 --target "${win32_targets[@]}"; then
  bash scripts/check-pe.sh build/win32/Fluttera.scr i386 i686-w64-mingw32-objdump && record pe32 1 0 || step_fail pe32
else
  step_fail win32-build
fi

log "Unit tests under Wine (default locale, then Japanese)"
export WINEDEBUG=-all
fluttera_quiet_wine
fluttera_wine_for win64
export WINEPREFIX=$(mktemp -d)/prefix
"$FLUTTERA_WINE" wineboot -i >/dev/null 2>&1; "$FLUTTERA_WINESERVER" -w
# The tests of the Windows side make windows and move the pointer: a display of their own.
on_display=(python3 -m fluttera_test.xvfb --)
for loc in C.UTF-8 ja_JP.UTF-8; do
  if [ -f build/win64/unit_tests.exe ]; then
    LC_ALL=$loc timeout 600 "${on_display[@]}" "$FLUTTERA_WINE" build/win64/unit_tests.exe > build/win64/unit-$loc.log 2>&1
    rc=$?
    "$FLUTTERA_WINESERVER" -k 2>/dev/null  # nothing of this run stays tied to its display
    tail -n 3 build/win64/unit-$loc.log
    read -r p f < <(gtest_counts build/win64/unit-$loc.log)
    [ "$rc" != 0 ] && [ "$f" = 0 ] && f=1
    record "wine-unit-$loc" "$p" "$f"
  else
    step_fail "wine-unit-$loc"
  fi
done
"$FLUTTERA_WINESERVER" -k 2>/dev/null

log "Unit tests of the 32-bit build under 32-bit Wine"
fluttera_choose_wine
if [ "$FLUTTERA_PRESET" = win32 ]; then
  if cmake --build build/win32 -j2 --target unit_tests; then
    export WINEPREFIX=$(mktemp -d)/prefix32
    "$FLUTTERA_WINE" wineboot -i >/dev/null 2>&1; "$FLUTTERA_WINESERVER" -w
    LC_ALL=ja_JP.UTF-8 timeout 600 "${on_display[@]}" "$FLUTTERA_WINE" build/win32/unit_tests.exe \
      > build/win32/unit.log 2>&1
    rc=$?
    "$FLUTTERA_WINESERVER" -k 2>/dev/null
    tail -n 3 build/win32/unit.log
    read -r p f < <(gtest_counts build/win32/unit.log)
    [ "$rc" != 0 ] && [ "$f" = 0 ] && f=1
    record wine32-unit "$p" "$f"
  else
    step_fail win32-unit-build
  fi
else
  echo "This kernel cannot run 32-bit programs ($("$FLUTTERA_WINE32" --version 2>&1 | tail -n 1)):"
  echo "the 32-bit build is built and its header checked above, not run."
fi

log "End-to-end tests: the real Fluttera.scr under Xvfb and Wine"
unset WINEPREFIX
fluttera_choose_wine
fluttera_wine_said
if [ -f "build/$FLUTTERA_PRESET/Fluttera.scr" ]; then
  (cd tests && FLUTTERA_SCR=$root/build/$FLUTTERA_PRESET/Fluttera.scr timeout 2400 python3 -m e2e.run) 2>&1 | tee build/e2e.log
  line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' build/e2e.log | tail -1)
  if [ -n "$line" ]; then
    record e2e "$(echo "$line" | grep -Eo '[0-9]+ passed' | grep -Eo '[0-9]+')" \
                "$(echo "$line" | grep -Eo '[0-9]+ failed' | grep -Eo '[0-9]+')"
  else
    step_fail e2e
  fi
else
  step_fail e2e
fi

log "The run command and the release files"
# unittest_counts LOGFILE -> "passed failed" from Python unittest's closing lines. A skipped
# test, or a run of no test at all, counts as failed: each of these must really run.
unittest_counts() {
  local ran last bad skip
  ran=$(grep -Eo '^Ran [0-9]+ tests?' "$1" | grep -Eo '[0-9]+' | tail -1)
  last=$(grep -E '^(OK|FAILED)( \(.*\))?$' "$1" | tail -1)
  bad=$(echo "$last" | grep -Eo '(failures|errors)=[0-9]+' | grep -Eo '[0-9]+' | awk '{s+=$1} END {print s+0}')
  skip=$(echo "$last" | grep -Eo 'skipped=[0-9]+' | grep -Eo '[0-9]+' || true)
  ran=${ran:-0} skip=${skip:-0}
  if [ "$ran" = 0 ] || [ -z "$last" ]; then echo "0 1"; else echo "$((ran - bad - skip)) $((bad + skip))"; fi
}
# unittest_step NAME ARGS...: runs python3 -m unittest ARGS in tests/ and records the counts.
unittest_step() {
  local name=$1; shift
  (cd tests && timeout 1200 python3 -m unittest -v "$@") > "build/$name.log" 2>&1
  grep -Ev '^\[ *[0-9]+%\]' "build/$name.log" | tail -n 15
  read -r p f < <(unittest_counts "build/$name.log")
  record "$name" "$p" "$f"
}
unset WINEARCH
unittest_step front-door release.test_front_door
if bash scripts/package.sh; then unittest_step release release.test_release; else step_fail package; fi

log "Summary"
column -t "$results" 2>/dev/null || cat "$results"
P=$(awk '{s+=$2} END {print s+0}' "$results")
F=$(awk '{s+=$3} END {print s+0}' "$results")
rm -f "$results"
echo "$P passed, $F failed"
[ "$F" = 0 ]
