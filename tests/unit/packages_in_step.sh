#!/usr/bin/env bash
# The libraries mae-check links, named in two places, kept in step: the
# package list the scripts install (scripts/lib.sh) and the table of
# docs/code-map.md that says why each (libsodium, which only the tests
# link, is in the table and in the tests' list).
#   packages_in_step.sh SOURCE_DIR
set -euo pipefail
cd "$1"
. scripts/lib.sh
listed=$(printf '%s\n' "${MAE_CHECK_PACKAGES[@]}" libsodium-dev | sort)
documented=$(grep -oE '^\| `[a-z0-9+.-]+-dev`' docs/code-map.md | tr -d '|` ' | sort)
if [ "$listed" != "$documented" ]; then
  echo "scripts/lib.sh and docs/code-map.md name different libraries:"
  diff <(echo "$listed") <(echo "$documented") || true
  exit 1
fi
printf '%s\n' "${MAE_TEST_PACKAGES[@]}" | grep -qx libsodium-dev
