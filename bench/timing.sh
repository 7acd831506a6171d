# The timing helpers of the benchmark scripts (sourced, not run).

# The median of the numbers on standard input, one per line.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The wall time of a command, in seconds; its output is dropped.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null 2>&1
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.4f\n", ns / 1e9 }'
}

# The programs of the build folder $1 (build/release by default): sets
# $program and $generate, and ends the script when they are not built.
bench_programs() {
  build=${1:-build/release}
  program=$build/src/vexa-chart-report
  generate=$build/bench/vexa-generate-export
  [ -x "$program" ] && [ -x "$generate" ] || { echo "build $build first (scripts/build.sh)"; exit 1; }
}
