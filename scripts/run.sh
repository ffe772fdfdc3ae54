#!/usr/bin/env bash
# Builds Varnel (Release) and converts the bundled sample, or the files given:
#   scripts/run.sh [INPUT [OUTPUT]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
varnel_install_packages "${VARNEL_BUILD_PACKAGES[@]}"

build="$root/build"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" >/dev/null

if [ ! -x "$build/src/app/varnel" ]; then
  echo "Built the core library in $build; the varnel program is not there yet."
  exit 0
fi

input=${1:-$root/examples/sample.txt}
output=${2:-$build/sample.html}
"$build/src/app/varnel" "$input" "$output"
echo "Converted $input"
echo "The page is in $output"
