#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets:
# the executables, the man pages, and a library that a separate project
# builds with, through find_package and MAE::mae or through pkg-config, with
# either include form ("MAE.h" or <mae/MAE.h>).
#   install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/MAE share/man/man1/MAE.1.gz bin/mae-check share/man/man1/mae-check.1.gz \
  include/mae/bmp_block.h include/mae/bmp_reader.h include/mae/MAE.h share/doc/mae/copyright share/doc/mae/guide.md share/doc/mae-dev/copyright \
  lib/libmae.a lib/cmake/MAE/MAEConfig.cmake lib/cmake/MAE/MAEConfigVersion.cmake; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file"; find "$prefix"; exit 1; }
done
# A build with the web page's core installs it, and the generic page.
if [ -f "$build/web/check/mae-check.js" ]; then
  for file in share/mae/mae-check-web.js share/mae/mae-check.html; do
    [ -s "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
  done
fi
[ ! -e "$prefix/include/mae/bmp_file.h" ] || { echo "internal header installed"; exit 1; }

a=$src/examples/landscape.bmp
b=$src/examples/landscape_blur.bmp
[ "$("$prefix/bin/MAE" "$a" "$b")" = "MAE = 2.06912" ] || { echo "installed MAE is wrong"; exit 1; }

status=0
"$prefix/bin/mae-check" --max 0.5 "$src/examples/cases" >"$work/table" || status=$?
[ "$status" -eq 1 ] && grep -q '^7 of 10 cases pass (MAE at most 0.5)$' "$work/table" ||
  { echo "installed mae-check is wrong ($status)"; cat "$work/table"; exit 1; }

# The man pages render without a single warning.
for page in MAE.1 mae-check.1; do
  warnings=$(zcat "$prefix/share/man/man1/$page.gz" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || { echo "$page warnings: $warnings"; exit 1; }
done

cmake -S "$src/tests/system/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="${CXX:-c++}" >/dev/null
cmake --build "$work/consumer" >/dev/null
# The same program built without CMake: a plain compiler command and
# pkg-config, with each include form.
pc=$(find "$prefix" -name mae.pc)
[ -n "$pc" ] || { echo "no mae.pc installed"; exit 1; }
flags=$(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --cflags --libs mae)
"${CXX:-c++}" -std=c++17 "$src/tests/system/consumer/main.cpp" $flags -o "$work/consumer/by_pkg_config"
"${CXX:-c++}" -std=c++17 -DMAE_ANGLE_INCLUDES "$src/tests/system/consumer/main.cpp" $flags \
  -o "$work/consumer/by_pkg_config_angle"
expected=$'240 x 160, 24 bits\nMAE = 2.06912\nBlur1.bmp -> ANS/Blur1.bmp'
for program in consumer consumer_angle by_pkg_config by_pkg_config_angle; do
  actual=$("$work/consumer/$program" "$a" "$b")
  [ "$actual" = "$expected" ] || { printf '%s printed:\n%s\n' "$program" "$actual"; exit 1; }
done

echo "install and consumers OK"
