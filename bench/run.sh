#!/usr/bin/env bash
# Times `varnel IN OUT` against the converters Debian ships for the same job, on
# every file of the corpus and on a generated 100 MB HTML-like file, and prints
# one table. See README.md, "Benchmarks".
#
#   bash bench/run.sh
#
# Settings (environment):
#   VARNEL_CORPUS_DIR        the corpus (default: ../shared/corpus beside the repository)
#   VARNEL_BENCH_RUNS        timed runs per peer and floor on the corpus (default 7, at
#                            least 5); varnel gets at least 20, and 5 on the generated file
#   VARNEL_BENCH_LARGE_MB    size of the generated file in MB (default 100)
#   VARNEL_BENCH_PEER_LIMIT  a peer whose run on the generated file would take longer
#                            than this many seconds, judged by its speed on the largest
#                            corpus file, is left out there (default 12)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"

varnel_install_packages cmake ninja-build g++ libbenchmark-dev python3 hyperfine time \
  enscript libkf5syntaxhighlighting-tools python3-pygments source-highlight highlight

corpus=${VARNEL_CORPUS_DIR:-$root/../shared/corpus}
runs=${VARNEL_BENCH_RUNS:-7}
[ "$runs" -ge 5 ] || runs=5
large_mb=${VARNEL_BENCH_LARGE_MB:-100}
peer_limit=${VARNEL_BENCH_PEER_LIMIT:-12}

build="$root/build-bench"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BENCH=ON \
    -DVARNEL_BUILD_TESTS=OFF -DVARNEL_GUI=OFF >/dev/null
fi
cmake --build "$build" >/dev/null
varnel="$build/src/app/varnel"

work="$build/bench-run"
results="$work/results"
rm -rf "$results"
mkdir -p "$work/data" "$work/out" "$results"

# The generated input: made again only when its size or the generator changed.
generator="$build/bench/varnel_bench_input"
large="$work/data/generated-${large_mb}MB.html"
large_bytes=$((large_mb * 1024 * 1024))
if [ ! -f "$large" ] || [ "$(stat -c %s "$large")" -ne "$large_bytes" ] || [ "$generator" -nt "$large" ]; then
  echo "Generating $large" >&2
  "$generator" "$large" "$large_bytes"
fi
small="$work/data/startup-1KB.html"
"$generator" "$small" 1024

inputs=()
for file in "$corpus"/*; do
  case "$file" in *.md) continue ;; esac
  [ -f "$file" ] && inputs+=("$file")
done
if [ ${#inputs[@]} -eq 0 ]; then
  echo "bench/run.sh: no corpus files in $corpus" >&2
  exit 1
fi
inputs+=("$large")

# The varnel runs see no display, so that the desktop clipboard is not tried.
run_hyperfine() {
  env -u DISPLAY -u WAYLAND_DISPLAY hyperfine --style none "$@" >/dev/null
}

# Peak resident set size in KB of one run of a command.
peak_rss() {
  local file=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/time -f %M -o "$file" "$@" >/dev/null 2>&1 || echo 0 >"$file"
}

peers=(enscript kate-syntax-highlighter pygmentize source-highlight highlight)
# The command line of a peer converting $1 into $2.
peer_command() {
  case "$1" in
    enscript) echo "enscript --language=html --highlight=html --color -q -o $3 $2" ;;
    kate-syntax-highlighter) echo "kate-syntax-highlighter -s HTML -f html -o $3 $2" ;;
    pygmentize) echo "/usr/bin/pygmentize -l html -f html -O full -o $3 $2" ;;
    source-highlight) echo "source-highlight --src-lang=html --out-format=xhtml --doc -i $2 -o $3" ;;
    highlight) echo "highlight --syntax=html --out-format=xhtml -i $2 -o $3" ;;
  esac
}

largest_corpus=$(ls -S "${inputs[@]:0:${#inputs[@]}-1}" | head -n 1)
for input in "${inputs[@]}"; do
  name=$(basename "$input")
  echo "Timing $name" >&2
  dir="$results/$name"
  mkdir -p "$dir"
  stat -c %s "$input" >"$dir/input-bytes"
  out="$work/out/varnel-$name"
  file_runs=$runs
  # Varnel's runs are short, so it gets more of them: a median that a busy
  # moment cannot move much.
  varnel_runs=$((runs > 20 ? runs : 20))
  if [ "$input" = "$large" ]; then
    file_runs=5
    varnel_runs=5
  fi
  run_hyperfine -N --warmup 2 --runs "$varnel_runs" --export-json "$dir/varnel.json" -n varnel "$varnel $input $out"
  commands=()
  for peer in "${peers[@]}"; do
    if [ "$input" = "$large" ]; then
      # Judged by the peer's median on the largest corpus file.
      seconds=$(python3 "$root/bench/report.py" --project "$results/$(basename "$largest_corpus")/times.json" \
        "$peer" "$(stat -c %s "$largest_corpus")" "$large_bytes")
      if python3 -c "import sys; sys.exit(0 if float('$seconds') > float('$peer_limit') else 1)"; then
        echo "$seconds" >"$dir/skipped-$peer"
        continue
      fi
    fi
    commands+=(-n "$peer" "$(peer_command "$peer" "$input" "$work/out/$peer-$name")")
  done
  if [ ${#commands[@]} -gt 0 ]; then
    run_hyperfine -N --warmup 1 --runs "$file_runs" --export-json "$dir/times.json" "${commands[@]}"
  fi
  stat -c %s "$out" >"$dir/output-bytes"
  # The floors, in the same run: copying the input, and writing a file the size of the page.
  run_hyperfine -N --warmup 1 --runs "$file_runs" --export-json "$dir/copy.json" -n cp "cp $input $work/out/copy-input"
  run_hyperfine --warmup 1 --runs "$file_runs" --export-json "$dir/cat.json" -n cat "cat $out > $work/out/copy-output"
  peak_rss "$dir/rss-varnel" "$varnel" "$input" "$out"
  for peer in "${peers[@]}"; do
    [ -f "$dir/skipped-$peer" ] && continue
    # shellcheck disable=SC2046
    peak_rss "$dir/rss-$peer" $(peer_command "$peer" "$input" "$work/out/$peer-$name")
  done
  rm -f "$work/out"/{enscript,kate-syntax-highlighter,pygmentize,source-highlight,highlight}-* \
    "$work/out/copy-input" "$work/out/copy-output"
  [ "$input" = "$large" ] && rm -f "$out"
done

echo "Timing start-up" >&2
run_hyperfine -N --warmup 3 --runs 30 --export-json "$results/startup.json" \
  -n varnel "$varnel $small $work/out/startup.html"

python3 "$root/bench/report.py" "$results" "$(basename "$largest_corpus")" "$(basename "$large")"
