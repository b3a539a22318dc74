#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (build-fuzz/) and runs
# them one after another, each for the given time, one job at a time, in
# fork mode so that one finding does not end the run:
#   tools/fuzz_all.sh [seconds per target] [target ...]
# (default 60 s; targets: notegrind meshfile meshdata image notelist config
# mp3, all by default). Each target's corpus grows in build-fuzz/corpora/
# from its committed seeds; findings (crashes, timeouts of more than 2 s,
# memory beyond 2 GB) land in build-fuzz/findings/<target>/. The last line
# of each run, with its execution count, and the number of findings are
# printed at the end; the exit code is 1 when anything was found. Leaks
# inside the libraries (fuzz/lsan_suppressions.txt) are not findings.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(notegrind meshfile meshdata image notelist config mp3)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_GL=OFF -DFUZZ=ON \
  >/dev/null || exit 1
cmake --build build-fuzz -j "$(nproc)" --target $(printf '%s_fuzz ' "${targets[@]}") >/dev/null || exit 1

seeds_of() {
  if [ "$1" = notegrind ]; then echo "$root/fuzz/corpus"; else echo "$root/fuzz/seeds/$1"; fi
}

summary=()
found=0
for t in "${targets[@]}"; do
  corpus=$root/build-fuzz/corpora/$t
  findings=$root/build-fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  log=$root/build-fuzz/findings/$t.log
  echo "== $t for ${seconds} s"
  (cd "$findings" && LSAN_OPTIONS="suppressions=$root/fuzz/lsan_suppressions.txt" \
    "$root/build-fuzz/fuzz/${t}_fuzz" -fork=1 -jobs=1 -timeout=2 -rss_limit_mb=2048 \
    -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 -max_total_time="$seconds" \
    -artifact_prefix="$findings/" "$corpus" "$(seeds_of "$t")") >"$log" 2>&1
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  n=$(find "$findings" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \) | wc -l)
  found=$((found + n))
  summary+=("$t: ${last:-no progress line (see $log)}; findings: $n")
done
echo "== summary"
printf '%s\n' "${summary[@]}"
[ "$found" -eq 0 ]
