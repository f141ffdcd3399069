#!/usr/bin/env bash
# Builds the Debian packages as a packager would (install prefix /usr, a
# named maintainer) in a folder of its own, checks their contents, and has
# lintian, Debian's package checker, find nothing above informational.
# With MAE_BUILD_WEB=ON, the runtime package must hold what --web-page
# needs and the generic page.
#   packages.sh SOURCE_DIR
# lintian is skipped, with a note, where it is not installed.
set -euo pipefail
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The maintainer of a package is whoever builds it; this test names itself.
cmake -S "$src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DMAE_BUILD_TESTS=OFF -DMAE_PACKAGE_MAINTAINER="MAE package test <mae-package-test@example.org>" \
  -DCMAKE_CXX_COMPILER="${CXX:-c++}" -DMAE_BUILD_WEB="${MAE_BUILD_WEB:-OFF}" >/dev/null
cmake --build "$work/build" -j"$(nproc 2>/dev/null || echo 2)" >/dev/null
(cd "$work/build" && cpack -G DEB -B "$work/deb" >/dev/null)
runtime=$(ls "$work"/deb/mae_*.deb)
dev=$(ls "$work"/deb/mae-dev_*.deb)

failed=0
has() {  # has PACKAGE PATH
  local listing
  listing=$(dpkg-deb -c "$1")
  if ! grep -q " \./$2\$" <<<"$listing"; then
    echo "FAILED: $(basename "$1") lacks $2"
    failed=$((failed + 1))
  fi
}
if [ "${MAE_BUILD_WEB:-OFF}" = ON ]; then
  has "$runtime" usr/share/mae/mae-check-web.js
  has "$runtime" usr/share/mae/mae-check.html
fi
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
for path in usr/bin/MAE usr/bin/mae-check usr/share/man/man1/MAE.1.gz \
  usr/share/man/man1/mae-check.1.gz usr/share/doc/mae/copyright usr/share/doc/mae/changelog.gz \
  usr/share/bash-completion/completions/MAE usr/share/bash-completion/completions/mae-check; do
  has "$runtime" "$path"
done
for path in "usr/lib/$multiarch/libmae.a" "usr/lib/$multiarch/pkgconfig/mae.pc" \
  "usr/lib/$multiarch/cmake/MAE/MAEConfig.cmake" usr/include/mae/MAE.h \
  usr/include/mae/bmp_reader.h usr/share/doc/mae-dev/copyright \
  usr/share/doc/mae-dev/changelog.gz; do
  has "$dev" "$path"
done
[ "$(dpkg-deb -f "$runtime" Package)" = mae ] || { echo "FAILED: wrong package name"; failed=$((failed + 1)); }
# The licence itself is in the copyright file.
copyright=$(dpkg-deb --fsys-tarfile "$runtime" | tar -xO ./usr/share/doc/mae/copyright)
grep -q '^ Permission is hereby granted, free of charge' <<<"$copyright" ||
  { echo "FAILED: no licence text in the copyright file"; failed=$((failed + 1)); }

if command -v lintian >/dev/null; then
  # Errors (E:) and warnings (W:) fail; informational (I:), pedantic (P:)
  # and classification (C:) tags do not.
  report=$(lintian --tag-display-limit 0 "$runtime" "$dev" 2>&1 | grep -E '^[EW]: ' || true)
  if [ -n "$report" ]; then
    echo "FAILED: lintian:"
    echo "$report"
    failed=$((failed + 1))
  else
    echo "lintian: no errors, no warnings"
  fi
else
  echo "NOTE: lintian is not installed; the packages were not checked by it"
fi
echo "packages: $failed failed"
[ "$failed" -eq 0 ]
