#!/usr/bin/env bash
# Soak test, not part of CI: converts 10,000 small generated files in a row and
# 100 large ones with the program, checks every page against a second run, and
# then converts them all again, round after round, inside one process
# (bench/soak_loop.cpp) to check that memory does not grow.
#   bench/soak.sh [ROUNDS]      (default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
build="$root/build-soak"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVARNEL_BUILD_TESTS=OFF -DVARNEL_GUI=OFF >/dev/null
fi
cmake --build "$build" --target varnel varnel_batch
c++ -std=c++20 -O2 -I"$root/src" "$root/bench/soak_loop.cpp" \
  "$build/src/app/libvarnel_batch.a" "$build/src/libvarnel_core.a" -ldl -o "$build/varnel_soak"
varnel="$build/src/app/varnel"
soak="$build/varnel_soak"

work=$(mktemp -d "${TMPDIR:-/tmp}/varnel-soak-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/small" "$work/large"
"$soak" generate "$work/small" 10000 2000 1
"$soak" generate "$work/large" 100 4000000 2

# Converts every file of a folder twice and compares the pages; sets `peak` to
# the largest peak resident set size of a run, in KiB.
convert_twice() {
  local folder=$1 kib
  peak=0
  for file in "$folder"/*.txt; do
    if ! /usr/bin/time -f %M -o "$work/rss" "$varnel" "$file" "$file.html" 2>/dev/null ||
       ! "$varnel" "$file" "$file.again" 2>/dev/null; then
      echo "soak: $file: the program failed" >&2
      exit 1
    fi
    kib=$(tail -n 1 "$work/rss")
    [ "$kib" -gt "$peak" ] && peak=$kib
    if ! cmp -s "$file.html" "$file.again"; then
      echo "soak: $file: the second run gives another page" >&2
      exit 1
    fi
    rm "$file.again"
  done
}

start=$SECONDS
echo "== 10,000 small files, each converted twice"
convert_twice "$work/small"
echo "   largest peak RSS of a run: $peak KiB ($((SECONDS - start)) s)"
start=$SECONDS
echo "== 100 large files (4 MB), each converted twice"
convert_twice "$work/large"
echo "   largest peak RSS of a run: $peak KiB ($((SECONDS - start)) s)"
start=$SECONDS
echo "== all 10,100 again, $rounds rounds in one process"
"$soak" loop "$rounds" "$work/small" "$work/large"
echo "   ($((SECONDS - start)) s)"
echo "soak: passed"
