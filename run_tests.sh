#!/usr/bin/env bash
# Builds everything twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs all tests in both builds.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)
for variant in plain sanitize; do
    dir=build-test-$variant
    flags=()
    [ "$variant" = sanitize ] && flags=(-DTEAM2D_SANITIZE=ON)
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" >/dev/null
    cmake --build "$dir" -j "$jobs"
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
done
