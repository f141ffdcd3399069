#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets:
# the executable, the man page, and a library that a separate project finds
# with find_package and links with MAE::mae. Then builds the Debian
# packages and checks their contents.
#   install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/MAE share/man/man1/MAE.1 bin/mae-check share/man/man1/mae-check.1 \
  include/mae/bmp_reader.h include/mae/MAE.h \
  lib/libmae.a lib/cmake/MAE/MAEConfig.cmake lib/cmake/MAE/MAEConfigVersion.cmake; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file"; find "$prefix"; exit 1; }
done
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
  warnings=$(groff -man -ww -z "$prefix/share/man/man1/$page" 2>&1)
  [ -z "$warnings" ] || { echo "$page warnings: $warnings"; exit 1; }
done

cmake -S "$src/tests/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="${CXX:-c++}" >/dev/null
cmake --build "$work/consumer" >/dev/null
expected=$'240 x 160, 24 bits\nMAE = 2.06912\nBlur1.bmp -> ANS/Blur1.bmp'
actual=$("$work/consumer/consumer" "$a" "$b")
[ "$actual" = "$expected" ] || { printf 'consumer printed:\n%s\n' "$actual"; exit 1; }

# Debian packages: the tool with its man page, and the -dev package.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null)
runtime=$(ls "$work"/deb/mae_*.deb)
dev=$(ls "$work"/deb/mae-dev_*.deb)
runtime_files=$(dpkg-deb -c "$runtime")
dev_files=$(dpkg-deb -c "$dev")
grep -q ' ./usr/bin/MAE$' <<<"$runtime_files" || { echo "no executable: $runtime_files"; exit 1; }
grep -q ' ./usr/share/man/man1/MAE.1' <<<"$runtime_files" || { echo "no man page"; exit 1; }
grep -q ' ./usr/bin/mae-check$' <<<"$runtime_files" || { echo "no mae-check: $runtime_files"; exit 1; }
grep -q ' ./usr/share/man/man1/mae-check.1' <<<"$runtime_files" || { echo "no mae-check page"; exit 1; }
grep -q ' ./usr/lib/.*libmae.a$' <<<"$dev_files" || { echo "no library: $dev_files"; exit 1; }
[ "$(dpkg-deb -f "$runtime" Package)" = mae ] || { echo "wrong package name"; exit 1; }
echo "install, consumer and packages OK"
