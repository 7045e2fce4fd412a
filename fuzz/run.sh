#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz and runs each over its corpus and then on, for SECONDS in all
# (default 600), at most FUZZ_JOBS (default 4) at a time.
#   fuzz/run.sh [SECONDS] [TARGET...]
# Any crash, leak, sanitizer report, input slower than 2 s or memory blow-up
# fails the run; the input that did it is kept as build-fuzz/findings/TARGET-*
# and the target's output as build-fuzz/fuzz-logs/TARGET.log. New inputs the
# fuzzer keeps go to build-fuzz/fuzz-corpus/TARGET, so a later run goes on
# from there. To reproduce a finding: build-fuzz/fuzz/TARGET FILE.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
seconds=${1:-600}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_server_message fuzz_player_clang fuzz_coach_message fuzz_map_message
             fuzz_config_file_player fuzz_config_file_coach fuzz_formation_files
             fuzz_monitor_registration fuzz_console_line)
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEAM2D_FUZZ=ON -DTEAM2D_TESTS=OFF >/dev/null
cmake --build "$build" -j "${FUZZ_BUILD_JOBS:-$(nproc)}" --target "${targets[@]}"

mkdir -p "$build/findings" "$build/fuzz-logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# One target: libFuzzer's exit status (0 when nothing was found). Inputs may
# grow past the largest seed, to runs of datagrams longer than the link's buffer.
run_target() {
    local target=$1
    mkdir -p "$build/fuzz-corpus/$target"
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=2 -max_len=20000 -close_fd_mask=3 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
        "$build/fuzz-corpus/$target" "$root/fuzz/corpus/$target" \
        >"$build/fuzz-logs/$target.log" 2>&1
}

echo "fuzzing ${#targets[@]} targets for ${seconds} s each, ${FUZZ_JOBS:-4} at a time"
declare -A pid_of
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "${FUZZ_JOBS:-4}" ]; do
        wait -n || true
    done
    run_target "$target" &
    pid_of[$target]=$!
done

passed=0 failed=0
for target in "${targets[@]}"; do
    log=$build/fuzz-logs/$target.log
    if wait "${pid_of[$target]}"; then
        passed=$((passed + 1))
        echo "$target: ok, $(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | sed -E 's/^#([0-9]+)[[:space:]]+DONE[[:space:]]+(cov: [0-9]+ ft: [0-9]+).*/\2, \1 runs/')"
    else
        failed=$((failed + 1))
        echo "$target: FAILED, see $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|artifact_prefix|Test unit written)' "$log" | head -n 8 || true
    fi
done
if [ "$failed" -eq 0 ]; then
    echo "fuzz: no finding in $passed targets"
else
    echo "fuzz: findings in $failed of $((passed + failed)) targets"
fi
[ "$failed" -eq 0 ]
