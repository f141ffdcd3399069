#!/usr/bin/env bash
# The report's cost: on ten 1024x1024 cases made from real pictures
# (ImageMagick's built-in photographs scaled to 1024x1024 as references,
# blurred and edge-filtered copies as outputs), mae-check --report against
# --json on the same cases, and the page's size (and on ten cases whose
# references are the photographs themselves, twice over, and whose outputs
# are lightly blurred or edge-filtered copies); then one 8192x8192 pair,
# smooth and noisy, with the peak resident memory. Medians of 5 runs after
# a warm-up run.
#   bash scripts/bench_report.sh   (BENCH_TEN_ONLY=1: the ten-case sets alone)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
need_packages "${MAE_BUILD_PACKAGES[@]}" "${MAE_CHECK_PACKAGES[@]}" "${MAE_BENCH_PACKAGES[@]}"
cmake -S . -B out/bench -DCMAKE_BUILD_TYPE=Release -DMAE_BUILD_TESTS=OFF >/dev/null
cmake --build out/bench --target mae-check -j"$(jobs)" >/dev/null
check=$PWD/out/bench/check/mae-check
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
mkdir -p cases/ANS photos/ANS
i=0
for picture in rose: logo: wizard: granite: netscape:; do
  i=$((i + 1))
  convert "$picture" -resize 1024x1024! -type truecolor "BMP3:cases/ANS/Blur$i.bmp"
  convert "cases/ANS/Blur$i.bmp" -blur 0x1.5 -type truecolor "BMP3:cases/Blur$i.bmp"
  convert "cases/ANS/Blur$i.bmp" -edge 1 -type truecolor "BMP3:cases/ANS/Sobel$i.bmp"
  convert "cases/ANS/Sobel$i.bmp" -blur 0x0.7 -type truecolor "BMP3:cases/Sobel$i.bmp"
  # The photographs themselves as the references of both cases, twice
  # over; the outputs lightly blurred and edge-filtered.
  cp "cases/ANS/Blur$i.bmp" "photos/ANS/Blur$i.bmp"
  cp "cases/ANS/Blur$i.bmp" "photos/ANS/Sobel$i.bmp"
  convert "photos/ANS/Blur$i.bmp" -blur 0x0.6 -type truecolor "BMP3:photos/Blur$i.bmp"
  convert "photos/ANS/Sobel$i.bmp" -edge 1 -type truecolor "BMP3:photos/Sobel$i.bmp"
done
sync  # the files just written, on disk before the runs timed

# median_run LABEL ARGS...: the median wall time in seconds of running the
# command itself, and, from one more run under /usr/bin/time (whose own
# start-up would be counted otherwise), the peak resident memory in KiB.
median_run() {
  local label=$1 times=() start
  shift
  "$@" >/dev/null 2>&1 || true
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    times+=("$(($(date +%s%N) - start))")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p | awk '{ printf "%.3f", $1 / 1e9 }' >"$label.time"
  /usr/bin/time -f "%M" -o t.txt "$@" >/dev/null 2>&1 || true
  tail -n 1 t.txt >"$label.peak"  # after any "Command exited with ..." line
}
ratio() { awk -v a="$(cat "$1.time")" -v b="$(cat "$2.time")" 'BEGIN { printf "%.1f", a / (b > 0.0005 ? b : 0.0005) }'; }
echo "| ten 1024x1024 cases | --json s | --report s | report / json | page MB |"
echo "|---|---:|---:|---:|---:|"
for set in "filtered cases" "photographs photos"; do
  read -r label folder <<<"$set"
  median_run json "$check" --json "$folder"
  median_run report "$check" --report page.html "$folder"
  echo "| $label | $(cat json.time) | $(cat report.time) | $(ratio report json) | $(awk -v s="$(stat -c %s page.html)" 'BEGIN { printf "%.1f", s / 1e6 }') |"
done
[ -z "${BENCH_TEN_ONLY:-}" ] || exit 0
# Then the big pairs, written only now: 600 MB written just before them
# slowed the ten-case runs above by a tenth.
# ImageMagick's default limits refuse 8192x8192 pictures: written here.
python3 - <<'PY'
import os, struct
n = 8192
def write(name, row_of):
    with open(name, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + n * n * 3, 0, 0, 54) +
                struct.pack("<IiiHHIIiiII", 40, n, n, 1, 24, 0, n * n * 3, 0, 0, 0, 0))
        for y in range(n):
            f.write(row_of(y))
gradient = bytes(v for x in range(n) for v in (x * 255 // n, 128, 255 - x * 255 // n))
write("smooth.bmp", lambda y: gradient)
write("smooth_row.bmp", lambda y: bytes(n * 3) if y == 4000 else gradient)
write("noise.bmp", lambda y: os.urandom(n * 3))
PY
sync
echo
echo "| one 8192x8192 pair | --json s | --report s | report / json | peak MiB | page MB |"
echo "|---|---:|---:|---:|---:|---:|"
for pair in "smooth smooth_row.bmp smooth.bmp" "noisy noise.bmp smooth.bmp"; do
  set -- $pair
  median_run bjson "$check" --json "$2" "$3"
  median_run breport "$check" --report big.html "$2" "$3"
  echo "| $1 | $(cat bjson.time) | $(cat breport.time) | $(ratio breport bjson) | $(($(cat breport.peak) / 1024)) | $(awk -v s="$(stat -c %s big.html)" 'BEGIN { printf "%.1f", s / 1e6 }') |"
done
