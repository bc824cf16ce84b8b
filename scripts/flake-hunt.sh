#!/usr/bin/env bash
# A flake hunt, run before saying a change is done: the chosen suites of scripts/test.sh,
# several rounds, while busy loops keep every core busy at the tests' own priority, as on a
# shared machine. Prints each failure with its round and message, and ends with the share of
# rounds each suite passed and how often a test started its program again on a fresh Wine
# server ("retried"); exits 0 only when every round of every suite passed.
# Usage: scripts/flake-hunt.sh [--rounds N] [--busy N] SUITE...
#   SUITE: a step of scripts/test.sh (e2e, x11, front-door...); FLUTTERA_E2E narrows e2e.
#   --rounds: rounds of each suite (default 3); --busy: busy loops (default: one a core).
# The logs stay in build/flake-hunt/.
set -uo pipefail
cd "$(dirname "$0")/.."
rounds=3 busy=$(nproc) suites=()
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=${2:-}; shift $(( $# > 1 ? 2 : 1 )) ;;
    --busy) busy=${2:-}; shift $(( $# > 1 ? 2 : 1 )) ;;
    -*) sed -n '2,10p' "$0"; exit 2 ;;
    *) suites+=("$1"); shift ;;
  esac
done
# A hunt of no round, or of no suite, would end green having run nothing.
[[ $rounds =~ ^[0-9]+$ ]] && [ "$rounds" -gt 0 ] || { echo "--rounds $rounds: a whole number above 0 expected" >&2; exit 2; }
[[ $busy =~ ^[0-9]+$ ]] || { echo "--busy $busy: a whole number expected" >&2; exit 2; }
[ ${#suites[@]} -gt 0 ] || { sed -n '2,10p' "$0"; exit 2; }
logs=build/flake-hunt
rm -rf "$logs" && mkdir -p "$logs"

# The builds first, on a quiet machine (as scripts/test.sh makes them; its rounds then find
# them done): the hunt is after the tests, not the compiler.
. scripts/wine-env.sh
fluttera_choose_wine || exit 1
fluttera_wine_said
for suite in "${suites[@]}"; do
  case $suite in
    e2e) targets=(); [ "$FLUTTERA_PRESET" = win32 ] && targets=(--target Fluttera e2e_programs)
         cmake --preset "$FLUTTERA_PRESET" && cmake --build "build/$FLUTTERA_PRESET" -j2 "${targets[@]}" ;;
    x11) cmake --preset native && cmake --build build/native -j2 ;;
  esac > "$logs/build-$suite.log" 2>&1 || { echo "the build for $suite failed (see $logs/build-$suite.log)"; exit 1; }
done

loops=()
stop_loops() { [ ${#loops[@]} -gt 0 ] && kill "${loops[@]}" 2>/dev/null; loops=(); }
trap stop_loops EXIT
trap 'exit 130' INT TERM
for _ in $(seq "$busy"); do
  bash -c 'while :; do :; done' &
  loops+=($!)
done
echo "$busy busy loops running (pids ${loops[*]})"

# failures LOG: "TEST: MESSAGE" for each failed test, subtest or step of a test.sh log.
failures() {
  awk '
    /^(FAIL|ERROR): / { if (name != "") print name ": " msg; name = substr($0, index($0, " ") + 1); msg = ""; next }
    name != "" && /^[A-Za-z_.]*(Error|Exception|Expired|Interrupt)[A-Za-z_.]*(: |$)/ { msg = $0 }
    name != "" && /^(=====|-----)/ && msg != "" { print name ": " msg; name = ""; msg = "" }
    /^stopped: / || /^FAILED: / || /^not run: / { print $0 }
  ' "$1"
}

declare -A passed=() retried=()
for round in $(seq "$rounds"); do
  for suite in "${suites[@]}"; do
    log=$logs/round$round-$suite.log
    start=$(date +%s)
    bash scripts/test.sh "$suite" > "$log" 2>&1
    rc=$?
    again=$(grep -c '^retried: ' "$log")
    retried[$suite]=$(( ${retried[$suite]:-0} + again ))
    echo "round $round, $suite: $(tail -n 1 "$log") in $(( $(date +%s) - start )) s, $again retried"
    if [ "$rc" = 0 ]; then
      passed[$suite]=$(( ${passed[$suite]:-0} + 1 ))
    else
      failures "$log" | sed "s/^/  round $round, $suite: /"
    fi
  done
done
stop_loops

echo "Share of rounds passed under $busy busy loops:"
all=0
for suite in "${suites[@]}"; do
  echo "  $suite: ${passed[$suite]:-0}/$rounds (${retried[$suite]:-0} retried)"
  [ "${passed[$suite]:-0}" = "$rounds" ] || all=1
done
exit $all
