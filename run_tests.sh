#!/usr/bin/env bash
# Builds everything three times and runs the tests: all of them in a plain
# build and in one with AddressSanitizer and UndefinedBehaviorSanitizer; in a
# ThreadSanitizer build, every test that starts a program or the runtime's
# threads, failing on the first report. Then it fuzzes every reader of outside
# text over its corpus and for 20 seconds more.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)
# The suites whose tests start a program (against the stand-in) or worker threads.
threaded='^(PlayerProgram|GoalieProgram|CoachableProgram|CoachProgram|Play|Match|StartScript|Runtime)\.'
for variant in plain sanitize tsan; do
    dir=build-test-$variant
    flags=()
    filter=()
    case $variant in
    sanitize) flags=(-DTEAM2D_SANITIZE=ON) ;;
    tsan) flags=(-DTEAM2D_TSAN=ON); filter=(-R "$threaded") ;;
    esac
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" >/dev/null
    cmake --build "$dir" -j "$jobs"
    (cd "$dir" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j "$jobs" "${filter[@]}")
done
fuzz/run.sh 20
