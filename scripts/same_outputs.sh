#!/usr/bin/env bash
# Checks that a restructuring changed no output: runs two builds of
# mae-check over the same inputs (the sample cases, every hostile file as
# every case's output, a class with every option) and compares everything
# they write with `diff -r`. The pages' <style> and <script> contents are
# left out, since a restructuring may move what they hold.
#   scripts/same_outputs.sh OLD_MAE_CHECK NEW_MAE_CHECK
set -euo pipefail
old=$(realpath "$1")
new=$(realpath "$2")
cd "$(dirname "$0")/.."
root=$(realpath .)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The inputs, made once and read by both builds.
in=$work/in
mkdir -p "$in/hostile" "$in/class"
cp -r examples/cases "$in/cases"
names=(Blur1 Blur2 Blur3 Blur4 Blur5 Sobel1 Sobel2 Sobel3 Sobel4 Sobel5)
i=0
for f in tests/data/hostile/* tests/data/formats/* tests/data/found/*; do
  cp "$f" "$in/hostile/${names[i % 10]}_$i.bmp"
  i=$((i + 1))
done
# A class: a student who copied the samples, one whose files are the
# hostile files and other formats, one with two outputs swapped, one with
# nothing, and names that need care.
mk_student() { mkdir -p "$in/class/$1" && cp examples/cases/*.bmp "$in/class/$1/"; }
mk_student alice
mk_student "bob smith"
mk_student "zoë"
cp examples/cases/Blur1.bmp "$in/class/bob smith/Blur2.bmp"
cp tests/data/formats/bmp32.bmp "$in/class/zoë/Sobel1.bmp"
cp tests/data/formats/picture.png "$in/class/zoë/Blur3.png"
rm -f "$in/class/zoë/Blur3.bmp"
mkdir -p "$in/class/carol"
i=0
for f in tests/data/hostile/*; do
  [ $i -lt 10 ] || break
  cp "$f" "$in/class/carol/${names[i]}.bmp"
  i=$((i + 1))
done
mkdir -p "$in/class/dave"
printf 'alice\nbob smith\nzoë\ncarol\ndave\nerin\n' >"$in/roster.txt"

run_all() {
  local bin=$1 out=$2
  mkdir -p "$out"
  cd "$out"
  local -a runs=(
    "cases|$in/cases"
    "cases_max|--max 2 --border 1 --points Sobel*=2 $in/cases"
    "cases_strict|--strict --max 1 --max-difference 40 $in/cases"
    "pair|$in/cases/Blur1.bmp $in/cases/ANS/Blur2.bmp"
    "hostile|--ans $in/cases/ANS $in/hostile"
  )
  local entry name args
  for entry in "${runs[@]}"; do
    name=${entry%%|*}
    args=${entry#*|}
    mkdir -p "$name"
    # shellcheck disable=SC2086
    (cd "$name" && { "$bin" $args >table.txt 2>stderr.txt && echo 0 || echo $?; } >status.txt
      "$bin" --json $args >json.txt 2>>stderr.txt || true
      "$bin" --report report.html --diff diff --gradescope gs.json --prairielearn pl.json \
        --junit junit.xml $args >/dev/null 2>>stderr.txt || true)
  done
  mkdir -p class
  (cd class && { "$bin" --class "$in/class" --ans "$in/cases/ANS" --roster "$in/roster.txt" \
    --max 1 --csv grades.csv --reports reports --gradescope gs --prairielearn pl \
    --junit junit.xml --diff diff --json >class.json 2>stderr.txt && echo 0 || echo $?; } >status.txt
    "$bin" --class "$in/class" --ans "$in/cases/ANS" --only alice --json >only.json 2>>stderr.txt || true)
  # Absolute paths of this run's own folders differ between the builds.
  { grep -rlZ "$out" . || true; } | xargs -0r sed -i "s|$out|OUT|g"
  # Leave out what the pages' <style> and <script> elements hold.
  find . -name '*.html' -print0 | xargs -0r python3 "$root/scripts/strip_page_code.py"
  cd "$root"
}

run_all "$old" "$work/old"
run_all "$new" "$work/new"
diff -r "$work/old" "$work/new"
echo "same outputs: $(find "$work/old" -type f | wc -l) files compared"
