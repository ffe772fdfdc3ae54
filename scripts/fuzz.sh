#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a bounded time:
#   scripts/fuzz.sh [SECONDS_PER_TARGET]      (default 30)
# First every saved crash input in tests/fuzz/regressions/<target>/ is replayed,
# so a fixed crash stays fixed; then the target fuzzes from its seeds in
# tests/fuzz/corpus/<target>/. A new crash input is kept in the regressions
# directory to be committed with its fix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
varnel_install_packages cmake ninja-build clang libclang-rt-14-dev

seconds=${1:-30}
build="$root/build-fuzz"
if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVARNEL_FUZZ=ON -DVARNEL_BUILD_TESTS=OFF -DVARNEL_SANITIZE=ON -DVARNEL_GUI=OFF >/dev/null
fi
cmake --build "$build" -j2

status=0
shopt -s nullglob
for binary in "$build"/tests/fuzz/varnel_*_fuzz; do
  name=$(basename "$binary")
  target=${name#varnel_}
  target=${target%_fuzz}
  regressions="$root/tests/fuzz/regressions/$target"
  seeds="$root/tests/fuzz/corpus/$target"
  work="$build/corpus/$target"   # grows while fuzzing; kept out of the tree
  mkdir -p "$regressions" "$work"

  saved=("$regressions"/*)
  if [ ${#saved[@]} -gt 0 ]; then
    echo "== $target: replaying ${#saved[@]} saved crash input(s)"
    if ! "$binary" "${saved[@]}"; then
      echo "== $target: a saved crash input fails again" >&2
      status=1
      continue
    fi
  fi

  echo "== $target: fuzzing for $seconds s"
  inputs=("$work")
  [ -d "$seeds" ] && inputs+=("$seeds")
  if ! "$binary" -max_total_time="$seconds" -artifact_prefix="$regressions/" "${inputs[@]}"; then
    echo "== $target: crash input saved in $regressions/" >&2
    status=1
  fi
done
exit $status
