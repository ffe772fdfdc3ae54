#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
varnel_install_packages "${VARNEL_BUILD_PACKAGES[@]}" "${VARNEL_TEST_PACKAGES[@]}"

build="$root/build-test"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVARNEL_SANITIZE=ON -DVARNEL_WERROR=ON >/dev/null
fi
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j2

# Every fuzz target for a bounded time, 90 seconds shared among them unless
# VARNEL_FUZZ_SECONDS gives the time per target; saved crash inputs are
# replayed first.
targets=("$root"/tests/fuzz/*_fuzz.cpp)
bash "$root/scripts/fuzz.sh" "${VARNEL_FUZZ_SECONDS:-$((90 / ${#targets[@]}))}"
