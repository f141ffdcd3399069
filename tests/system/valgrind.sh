#!/usr/bin/env bash
# Runs the executable under valgrind's memcheck on success paths and on
# every failure path: each file of the hostile corpus, plus a missing file,
# a directory, a FIFO and a device. Any memory error or leak fails.
#   valgrind.sh MAE_EXECUTABLE SOURCE_DIR
set -euo pipefail
mae=$1
src=$2
data=$src/tests/data/hostile
ref=$data/reference.bmp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/fifo"

check() {
  if ! valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
    --errors-for-leak-kinds=all --suppressions="$src/tests/system/valgrind.supp" \
    "$mae" "$@" >"$work/out" 2>"$work/err"; then
    echo "memcheck failed: MAE $*"
    cat "$work/err"
    exit 1
  fi
  if [ -s "$work/err" ]; then
    echo "memcheck reported for MAE $*:"
    cat "$work/err"
    exit 1
  fi
}

runs=0
check "$src/examples/landscape.bmp" "$src/examples/landscape_blur.bmp"
check "$src/examples/landscape.bmp" "$ref"
for file in "$data"/*.bmp "$src"/tests/data/found/*; do
  [ -f "$file" ] || continue
  check "$file" "$ref"
  runs=$((runs + 1))
done
check "$work/missing.bmp" "$ref"
check "$work" "$ref"
check "$ref" "$work/fifo"
check /dev/null /dev/zero
check "$ref"
echo "memcheck clean on $((runs + 7)) runs"
