#!/usr/bin/env bash
# Builds the fuzz targets with clang (build/fuzz), makes their seed corpora
# with the native build's fuzz_seeds and runs each target.
#   tests/fuzz/run_fuzz.sh [--runs N | --seconds S] NATIVE_BUILD FUZZ_BUILD [TARGET...]
# --runs N (default 2000) ends each target after N inputs; --seconds S after
# S seconds. Each target keeps what it learns in FUZZ_BUILD/corpus/TARGET; the
# committed files in tests/fuzz/corpus/TARGET (inputs that once failed) are
# read as seeds every time. A failure leaves its input in FUZZ_BUILD/findings.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
limit=(-runs=2000)
case ${1:-} in
  --runs) limit=(-runs="$2"); shift 2 ;;
  --seconds) limit=(-max_total_time="$2"); shift 2 ;;
esac
[ $# -ge 2 ] || { echo "usage: $0 [--runs N | --seconds S] NATIVE_BUILD FUZZ_BUILD [TARGET...]" >&2; exit 2; }
native=$1 fuzz=$2; shift 2
# The targets work in folders of their own: every path given them is absolute.
mkdir -p "$native" "$fuzz" && native=$(cd "$native" && pwd) && fuzz=$(cd "$fuzz" && pwd) || exit 1
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings phone_book recording pos_size recordings_list)

cmake -S "$root" -B "$native" -G Ninja >/dev/null && ninja -C "$native" fuzz_seeds >/dev/null || exit 1
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja -DSUITE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
  ninja -C "$fuzz" $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null || exit 1
"$native/fuzz_seeds" "$fuzz/seeds" || exit 1
mkdir -p "$fuzz/findings"
# The targets' own files live in memory where it can (every input writes some).
work=$(mktemp -d "$( [ -d /dev/shm ] && [ -w /dev/shm ] && echo /dev/shm || echo "$fuzz")/suite-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

status=0
for t in "${targets[@]}"; do
  mkdir -p "$fuzz/corpus/$t"
  dirs=("$fuzz/corpus/$t" "$fuzz/seeds/$t")
  [ -d "$root/tests/fuzz/corpus/$t" ] && dirs+=("$root/tests/fuzz/corpus/$t")
  log="$fuzz/$t.log"
  # One input at a time, 2 GB at most, no input over 10 s: a slow or
  # greedy input is a finding too.
  if TMPDIR="$work" "$fuzz/fuzz_$t" "${limit[@]}" -seed=1 -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix="$fuzz/findings/$t-" -print_final_stats=1 "${dirs[@]}" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    echo "fuzz $t: ${runs:-?} runs, $cov, no failure"
  else
    echo "fuzz $t: FAILED (log $log, input in $fuzz/findings)"
    grep -m3 -E 'ERROR|SUMMARY|runtime error' "$log" | sed 's/^/  /'
    status=1
  fi
  rm -rf "${work:?}"/suite-fuzz-*
done
exit $status
