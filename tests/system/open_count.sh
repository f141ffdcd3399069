#!/usr/bin/env bash
# Each file is opened once: with --report and --diff, a folder run opens
# every output and every reference exactly once (outputs in other formats
# included: they are decoded from that one opening), and a class run opens
# each reference once for the whole class, not once a student. Counted
# with strace.
#   open_count.sh MAE_CHECK SOURCE_DIR
# Exits 77 (reported as skipped) when strace is not installed.
set -euo pipefail
check=$1
src=$2
if ! command -v strace >/dev/null; then
  echo "SKIPPED: strace is not installed"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# The sample cases, two of the outputs in other formats and one swapped
# for another case's (so that a closer look reads other references too).
mkdir -p "$dir/folder"
cp -r "$src/examples/cases/." "$dir/folder/"
cp "$src/tests/data/formats/bmp32.bmp" "$dir/folder/Sobel1.bmp"
rm "$dir/folder/Blur3.bmp"
cp "$src/tests/data/formats/picture.png" "$dir/folder/Blur3.png"
cp "$src/examples/cases/ANS/Blur2.bmp" "$dir/folder/Blur1.bmp"
mkdir -p "$dir/class"
for s in ann bob cem; do
  mkdir -p "$dir/class/$s"
  cp "$src"/examples/cases/*.bmp "$dir/class/$s/"
done
cp "$src/examples/cases/ANS/Blur2.bmp" "$dir/class/bob/Blur1.bmp"

failed=0
# count LOG PATH EXPECTED: the opens of PATH in strace's LOG.
count() {
  local n
  n=$(grep -cF "\"$2\"" "$1" || true)
  if [ "$n" != "$3" ]; then
    echo "FAILED: $2 opened $n times, expected $3"
    failed=1
  fi
}

cd "$dir"
strace -f -qq -e trace=open,openat -o folder.log "$check" --report r.html --diff d folder \
  >/dev/null || true
for f in folder/*.bmp folder/*.png folder/ANS/*.bmp; do
  count folder.log "$f" 1
done

strace -f -qq -e trace=open,openat -o class.log "$check" --class class --ans folder/ANS \
  --reports reports --diff cd >/dev/null || true
for f in folder/ANS/*.bmp; do
  count class.log "$f" 1
done
for f in class/*/*.bmp; do
  count class.log "$f" 1
done
exit $failed
