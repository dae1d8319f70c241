# Sourced by the bench scripts: timing with public tools only.

# Prints the best of 3 wall-clock seconds of a command (its output dropped).
best_of_3() {
  local best="" start end t
  for _ in 1 2 3; do
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}
