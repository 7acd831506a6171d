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
