#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for a bounded time, starting from
# the seed corpora in fuzz/corpus (which it does not change).
#
#   bash fuzz/run.sh [SECONDS_PER_TARGET] [BUILD_DIR]
#
# A crash leaves its input in BUILD_DIR/fuzz-work/<target>/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
build=${2:-build-fuzz}
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLON_FUZZ=ON -DQUILLON_SANITIZE=ON -DQUILLON_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
status=0
passed=0
failed=0
for target in extract_href link_target page_loader config crawl; do
  work="$build/fuzz-work/$target"
  rm -rf "$work" && mkdir -p "$work/corpus"
  if (cd "$work" && "../../${target}_fuzzer" -max_total_time="$seconds" \
        -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
        corpus "$root/fuzz/corpus/$target" >log 2>&1); then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log" | grep -o '[0-9]*$')
    echo "fuzz $target: ${runs:-?} executions in ${seconds} s, no failure"
    passed=$((passed + 1))
  else
    echo "fuzz $target: FAILED; see $work/log and the crash input there"
    tail -n 30 "$work/log"
    status=1
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
exit $status
