#!/bin/sh
# Runs the benchmarks behind the README's speed table, one after the other on
# one machine: scripts/benchmarks.sh [BUILD]   (default: build, RelWithDebInfo)
# The clock benchmark and the start-up one with jack:1 need jackd; each runs its
# own private server.
set -eu
build="${1:-$(cd "$(dirname "$0")/.." && pwd)/build}"
bench="$build/benchmarks"
run() {
  program="$1"; shift
  echo "== $program $*"
  # Some programs silence standard output (the decoder logs every byte), so
  # the figures go through a file.
  out="$(mktemp)"
  (cd "${TMPDIR:-/tmp}" && "$bench/$program" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out" --benchmark_out_format=console "$@" >/dev/null 2>&1) || echo "$program failed"
  grep -E '_(median|mean) ' "$out" || true
  rm -f "$out"
}
run editor_core_benchmark '--benchmark_filter=BM_HostProcessStartToFirstFrame|BM_RealPanel|BM_RenderBlockWithNothingToSend'
run messaging_decode_benchmark
run librarian_scan_benchmark
run core_param_change_benchmark
run messaging_worker_benchmark
