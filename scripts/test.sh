#!/usr/bin/env bash
# From a fresh Debian 12 machine (as root): installs what is missing, builds everything
# and runs every test. Ends with one line "N passed, N failed", in which a skipped test counts
# as failed. What this kind of machine cannot run at all (32-bit programs on a kernel without
# them) is a "not run" line in the summary above it, neither passed nor failed.
# Usage: scripts/test.sh [STEP ...]   only those steps (and the builds they need), of
# known_steps below; an unknown name fails at once.
# FLUTTERA_E2E=PATTERN runs only the end-to-end test files that match (default test_*.py).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# The tests' support package (tests/fluttera_test) and the Wine choice it shares with us.
export PYTHONPATH=$root/tests${PYTHONPATH:+:$PYTHONPATH}
. scripts/wine-env.sh
mkdir -p build  # the steps' logs, also when a step runs alone from a fresh clone
log() { printf '\n=== %s\n' "$*"; }
steps=("$@")
# Every step this script knows; a name not among them stops it before anything runs, so a
# mistyped step is never a green run of the others.
known_steps=(native x11 bench fuzz analyze pe wine-unit wine32-unit e2e front-door release)
for step in "${steps[@]}"; do
  case " ${known_steps[*]} " in
    *" $step "*) ;;
    *) echo "Unknown step \"$step\"; the steps are: ${known_steps[*]}" >&2; exit 2 ;;
  esac
done
results=$(mktemp)
# want STEP...: whether one of these steps is to run.
want() {
  [ ${#steps[@]} = 0 ] && return 0
  local s w
  for w in "$@"; do for s in "${steps[@]}"; do [ "$s" = "$w" ] && return 0; done; done
  return 1
}
# record NAME PASSED FAILED SKIPPED [NOTE...]
record() { local n=$1 p=$2 f=$3 s=$4; shift 4; printf '%s\t%s\t%s\t%s\t%s\n' "$n" "$p" "$f" "$s" "$*" >> "$results"; }
# limit SECONDS COMMAND...: the command, stopped (SIGTERM) after that long. The test runners
# close their count on it (fluttera_test.counting); a minute later it is killed.
limit() { timeout -k 60 "$@"; }
step_fail() { record "$1" 0 1 0 "$2"; echo "FAILED: $1: $2"; }
# not_run NAME WHY: a step this kind of machine cannot run at all; shown, never a pass.
not_run() { record "$1" 0 0 0 "not run: $2"; echo "NOT RUN: $1: $2"; }
# record_line NAME LOG PREFIX STATUS: records "PREFIX: N passed, N failed, N skipped" from the
# log of a runner that ended with STATUS. A runner that ran no test, or that failed (a time
# limit, a crash) with no failure counted, fails its step. The note is the log's "stopped:"
# line (the test a time limit stopped), else its first "not run: TEST: WHY" line, and how
# many times a test started its program again on a fresh Wine server ("N retried").
record_line() {
  local line p f s why rc=$4 retried
  line=$(grep -E "^$3: [0-9]+ passed, [0-9]+ failed, [0-9]+ skipped" "$2" | tail -1)
  if [ -z "$line" ]; then
    tail -n 20 "$2"
    step_fail "$1" "no count in $2 (the runner ended with status $rc$([ "$rc" = 124 ] && echo ": its time limit"))"
    return
  fi
  read -r p f s < <(echo "${line#*: }" | grep -Eo '[0-9]+' | xargs)
  if [ $((p + f + s)) = 0 ]; then
    step_fail "$1" "ran no test (see $2)"
    return
  fi
  why=""
  [ "$s" -gt 0 ] && why=$(grep -m 1 '^not run: ' "$2" | cut -c 1-150)
  [ "$s" -gt 1 ] && why="$why (and $((s - 1)) more, see $2)"
  if [ "$rc" != 0 ] && [ "$f" = 0 ] && [ "$s" = 0 ]; then
    f=1 why="the runner ended with status $rc, no failure counted (see $2)"
  fi
  grep -q '^stopped: ' "$2" && why=$(grep -m 1 '^stopped: ' "$2" | cut -c 1-200)
  retried=$(grep -c '^retried: ' "$2")
  [ "$retried" -gt 0 ] && why="$retried retried${why:+; $why}"
  record "$1" "$p" "$f" "$s" "$why"
}
# gtest_counts LOGFILE -> "passed failed skipped"
gtest_counts() {
  local p f s
  p=$(grep -Eo '^\[  PASSED  \] [0-9]+' "$1" | tail -1 | grep -Eo '[0-9]+$' || true)
  f=$(grep -Eo '^ *[0-9]+ FAILED TESTS?' "$1" | tail -1 | grep -Eo '^ *[0-9]+' || true)
  s=$(grep -Eo '^\[  SKIPPED \] [0-9]+' "$1" | tail -1 | grep -Eo '[0-9]+$' || true)
  echo "${p:-0} ${f:-0} ${s:-0}"
}
# build NAME PRESET [TARGET...]: builds and remembers whether it worked; the steps that
# use a build run only after it worked in this run, never on what an older run left.
declare -A built=()
build() {
  local name=$1 preset=$2; shift 2
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  if cmake --preset "$preset" >/dev/null && cmake --build "build/$preset" -j2 "${targets[@]}"; then
    built[$name]=1
  else
    step_fail "build-$name" "the $preset build failed"
  fi
}
# needs BUILD STEP: true when BUILD worked; else records STEP as failed for it.
needs() {
  [ -n "${built[$1]:-}" ] && return 0
  step_fail "$2" "not run: the build it needs ($1) failed"
  return 1
}

# The XScreenSaver and MATE tests run the savers, which refuse to run hacks as root, as the
# ordinary user fluttera-test: only root can make that user and run programs as it, and
# mount the hack where MATE looks for it in a mount namespace of the saver's own.
if want x11 && [ "$(id -u)" != 0 ]; then
  echo "The x11 step needs root (sudo bash scripts/test.sh): it runs XScreenSaver and MATE's saver" \
    "as the user fluttera-test, which only root can make and run programs as." >&2
  exit 1
fi
# The save faults of the end-to-end tests make a folder unwritable (chattr +i) and a disk
# full (a small tmpfs mounted over the program's folder): only root can do either.
if want e2e && [ "$(id -u)" != 0 ]; then
  echo "The e2e step needs root (sudo bash scripts/test.sh e2e): its save faults mount a small" \
    "filesystem and set the immutable attribute (chattr +i), which only root can." >&2
  exit 1
fi

log "Installing what is missing"
bash scripts/install-deps.sh || { echo "install failed"; exit 1; }
export FLUTTERA_DEPS_DONE=1  # analyze.sh and fuzz.sh need not run the set-up again

# The static analyzer reads every file of src/ in folders of its own; it needs no build, so
# it runs at the lowest priority beside the steps below (most of them wait on X and Wine),
# and is recorded at the end.
if want analyze; then
  mkdir -p build
  (time nice -n 19 bash scripts/analyze.sh) > build/analyze.log 2>&1 &
  analyze_pid=$!
fi

# The unit tests run in the sanitized build (below); the optimized one makes what is
# measured and what is shipped: the hack, its list command and the benchmarks.
if want x11 bench; then
  log "Native build: the hack and the benchmarks"
  build native native fluttera fluttera-xscreensaver fluttera-wayland fluttera_bench
fi
# The unit tests and the hack under AddressSanitizer and UndefinedBehaviorSanitizer: a
# report ends the program with an error, and its test fails with the report in the log.
if want native x11; then
  log "Sanitized native build (AddressSanitizer, UndefinedBehaviorSanitizer), unit tests"
  build native-asan native-asan unit_tests fluttera fluttera-xscreensaver fluttera-wayland
fi
if want native && needs native-asan native-unit; then
  UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build/native-asan --output-on-failure -j2 2>&1 | tee build/native-asan/ctest.log
  p=$(grep -Eo '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' build/native-asan/ctest.log | tail -1)
  total=$(echo "$p" | grep -Eo '[0-9]+$'); failed=$(echo "$p" | grep -Eo 'passed, [0-9]+' | grep -Eo '[0-9]+')
  # ctest lists skipped tests (GoogleTest's GTEST_SKIP) among those that "did not run".
  skipped=$(sed -n '/The following tests did not run:/,/^$/p' build/native-asan/ctest.log | grep -Ec '\((Skipped|Disabled|Not Run)\)')
  if [ -z "$p" ]; then
    step_fail native-unit "no count from ctest"
  else
    record native-unit $(( total - failed - skipped )) "$failed" "$skipped"
  fi
fi

if want x11 && needs native x11; then
  log "The Linux hack: fluttera under Xvfb and the XScreenSaver daemon"
  (cd tests && limit 900 python3 -m fluttera_test.counting x11 x11.test_hack x11.test_xscreensaver_list wayland.test_wayland) \
    > build/native/x11.log 2>&1
  rc=$?
  grep -E '(ok|FAIL|ERROR|skipped.*)$|^x11: |^not run: |^stopped: ' build/native/x11.log
  record_line x11 build/native/x11.log x11 "$rc"
fi

# The sanitized hack through the cases that read what other programs hand it: its own
# window resized under it, a foreign window by id and by XSCREENSAVER_WINDOW over a stale
# _XROOTPMAP_ID, the root and SIGTERM; and the list command over each kind of file. Reports
# are written to files, so that one from a hack that a test then killed is seen too.
if want x11 && needs native-asan x11-asan; then
  log "The sanitized hack under Xvfb"
  reports=$root/build/native-asan/reports
  rm -rf "$reports"; mkdir -p "$reports"
  (cd tests && FLUTTERA_HACK=$root/build/native-asan/fluttera ASAN_OPTIONS=log_path=$reports/asan \
    UBSAN_OPTIONS=print_stacktrace=1:log_path=$reports/ubsan limit 300 \
    env FLUTTERA_WAYLAND=$root/build/native-asan/fluttera-wayland python3 -m fluttera_test.counting x11-asan \
      x11.test_hack.Hack x11.test_xscreensaver_list.FileKinds wayland.test_wayland.Ends) > build/native-asan/x11.log 2>&1
  rc=$?
  grep -E '(ok|FAIL|ERROR|skipped.*)$|^x11-asan: |^not run: |^stopped: ' build/native-asan/x11.log
  if [ -n "$(ls -A "$reports")" ]; then
    cat "$reports"/* | tee -a build/native-asan/x11.log
    step_fail x11-asan "the sanitizers reported (build/native-asan/x11.log)"
  else
    record_line x11-asan build/native-asan/x11.log x11-asan "$rc"
  fi
fi

if want bench && needs native bench; then
  log "Benchmarks (short run)"
  if [ ! -x build/native/fluttera_bench ]; then
    step_fail bench "build/native/fluttera_bench was not built (is Google Benchmark installed?)"
  elif build/native/fluttera_bench --benchmark_min_time=0.05 > build/native/bench.log 2>&1; then
    tail -n 20 build/native/bench.log
    record bench 1 0 0
  else
    tail -n 20 build/native/bench.log
    step_fail bench "fluttera_bench failed"
  fi
fi

if want fuzz; then
  log "Fuzzing the settings codec and the command line (bounded)"
  if bash scripts/fuzz.sh "${FLUTTERA_FUZZ_SECONDS:-20}"; then record fuzz 1 0 0; else step_fail fuzz "a finding or a failed build"; fi
fi

# Where 32-bit Wine runs, the end-to-end tests drive the 32-bit build: its tools too.
fluttera_choose_wine || { echo "FAILED: the kernel's answer decides which build is tested"; exit 1; }
e2e_build=$FLUTTERA_PRESET
if want pe wine-unit wine32-unit e2e; then
  log "Cross builds: x86_64 (tested under Wine) and i686 (the 32-bit product)"
  if want pe wine-unit || { want e2e && [ "$e2e_build" = win64 ]; }; then build win64 win64; fi
  # The programs of the end-to-end run come from one list (the e2e_programs target); the
  # 32-bit build makes them on every kernel, so what it lacks shows where it cannot run.
  win32_targets=(Fluttera)
  { want pe || { [ "$e2e_build" = win32 ] && want e2e; }; } && win32_targets+=(e2e_programs)
  [ "$e2e_build" = win32 ] && want wine32-unit && win32_targets+=(unit_tests)
  if want pe || [ ${#win32_targets[@]} -gt 1 ]; then build win32 win32 "${win32_targets[@]}"; fi
fi
if want pe; then
  needs win64 pe64 && { bash scripts/check-pe.sh build/win64/Fluttera.scr x86-64 x86_64-w64-mingw32-objdump \
    && record pe64 1 0 0 || step_fail pe64 "check-pe.sh"; }
  needs win32 pe32 && { bash scripts/check-pe.sh build/win32/Fluttera.scr i386 i686-w64-mingw32-objdump \
    && record pe32 1 0 0 || step_fail pe32 "check-pe.sh"; }
  if needs win32 e2e-programs32; then
    (cd tests && python3 -m e2e.programs "$root/build/win32" i386) > build/e2e-programs32.log 2>&1
    rc=$?
    cat build/e2e-programs32.log
    record_line e2e-programs32 build/e2e-programs32.log e2e-programs "$rc"
  fi
fi

export WINEDEBUG=-all
fluttera_quiet_wine
# The tests of the Windows side make windows and move the pointer: a display of their own.
on_display=(python3 -m fluttera_test.xvfb --)
# new_prefix: a fresh Wine folder of the current Wine choice, made and settled.
new_prefix() {
  export WINEPREFIX
  WINEPREFIX=$(mktemp -d)/prefix
  "$FLUTTERA_WINE" wineboot -i >/dev/null 2>&1; "$FLUTTERA_WINESERVER" -w
}
# wine_unit NAME BUILD LOCALE: the unit tests of build/BUILD in the current Wine folder.
# The Shift-JIS cross-check is the Japanese run's: it skips (a failure) where the code page
# is not 932, so the other locale leaves it out.
wine_unit() {
  local name=$1 dir=build/$2 loc=$3 rc p f s only=()
  [ "$loc" != ja_JP.UTF-8 ] && only=(--gtest_filter=-IniCrossCheck.ShiftJisKeysMatchUnderTheJapaneseCodePage)
  LC_ALL=$loc timeout 600 "${on_display[@]}" "$FLUTTERA_WINE" "$dir/unit_tests.exe" "${only[@]}" \
    > "$dir/unit-$loc.log" 2>&1
  rc=$?
  "$FLUTTERA_WINESERVER" -k 2>/dev/null  # nothing of this run stays tied to its display
  tail -n 3 "$dir/unit-$loc.log"
  grep -E '^\[  SKIPPED \] [A-Za-z]' "$dir/unit-$loc.log"
  read -r p f s < <(gtest_counts "$dir/unit-$loc.log")
  [ "$rc" != 0 ] && [ "$f" = 0 ] && f=1
  record "$name" "$p" "$f" "$s"
}
if want wine-unit; then
  log "Unit tests under Wine (default locale, then Japanese)"
  fluttera_wine_for win64
  new_prefix
  for loc in C.UTF-8 ja_JP.UTF-8; do
    needs win64 "wine-unit-$loc" && wine_unit "wine-unit-$loc" win64 "$loc"
  done
  unset WINEPREFIX
fi
if want wine32-unit; then
  log "Unit tests of the 32-bit build under 32-bit Wine"
  if [ "$e2e_build" != win32 ]; then
    not_run wine32-unit "$(fluttera_not_32bit_why)"
  elif needs win32 wine32-unit; then
    fluttera_wine_for win32
    new_prefix
    wine_unit wine32-unit win32 ja_JP.UTF-8
    unset WINEPREFIX
  fi
fi

if want e2e; then
  log "End-to-end tests: the real Fluttera.scr under Xvfb and Wine"
  fluttera_choose_wine
  fluttera_wine_said
  if needs "$FLUTTERA_PRESET" "e2e-$FLUTTERA_PRESET"; then
    (cd tests && FLUTTERA_SCR=$root/build/$FLUTTERA_PRESET/Fluttera.scr limit 2400 \
      python3 -m e2e.run "${FLUTTERA_E2E:-test_*.py}") 2>&1 | tee build/e2e.log
    rc=${PIPESTATUS[0]}
    record_line "e2e-$FLUTTERA_PRESET" build/e2e.log e2e "$rc"
  fi
fi

# unittest_step NAME MODULE...: runs those Python test modules in tests/ and records their
# count (fluttera_test.counting: subtests counted alike whether they pass or fail).
unittest_step() {
  local name=$1; shift
  (cd tests && limit 2400 python3 -m fluttera_test.counting "$name" "$@") > "build/$name.log" 2>&1
  local rc=$?
  grep -Ev '^\[ *[0-9]+%\]' "build/$name.log" | tail -n 15
  record_line "$name" "build/$name.log" "$name" "$rc"
  # The cases a test could not run on this kind of machine, each on a line of its own.
  local line
  while read -r line; do not_run "$name" "${line#not run: }"; done < <(grep '^not run: ' "build/$name.log")
}
unset WINEARCH
if want front-door; then
  log "The run command"
  unittest_step front-door release.test_front_door
fi
if want release; then
  log "The release files"
  if bash scripts/package.sh; then unittest_step release release.test_release; else step_fail package "package.sh"; fi
fi

if want analyze; then
  log "Static analyzer (clang-tidy over src/)"
  wait "$analyze_pid"
  rc=$?
  tail -n 40 build/analyze.log
  if [ "$rc" = 0 ]; then record analyze 1 0 0; else step_fail analyze "findings or a failure (build/analyze.log)"; fi
fi

log "Summary"
awk -F'\t' '{printf "%-22s %5d passed %5d failed %5d skipped  %s\n", $1, $2, $3, $4, $5}' "$results"
P=$(awk -F'\t' '{s+=$2} END {print s+0}' "$results")
F=$(awk -F'\t' '{s+=$3+$4} END {print s+0}' "$results")
rm -f "$results"
echo "$P passed, $F failed"
[ "$F" = 0 ] && [ "$P" -gt 0 ]
