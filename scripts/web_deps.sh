#!/usr/bin/env bash
# Fetches the Debian source packages of the C libraries the web page's
# WebAssembly core links (libspng, zlib, libdeflate, utf8proc, pugixml), of
# the very versions the native build links, and unpacks each into
# DEST/NAME. Needs no root: apt runs on a source list and a cache of its
# own under DEST. Emscripten's own ports download from elsewhere, and
# would not be the versions the command line uses.
#   scripts/web_deps.sh [DEST]     (default: out/web-deps)
set -euo pipefail
dest=$(realpath -m "${1:-out/web-deps}")
mkdir -p "$dest/apt/lists/partial" "$dest/apt/cache/archives/partial"
# name: the -dev package whose source version is taken
packages=(libspng:libspng-dev zlib:zlib1g-dev libdeflate:libdeflate-dev utf8proc:libutf8proc-dev
  pugixml:libpugixml-dev)
done_all=1
for entry in "${packages[@]}"; do
  [[ -f $dest/${entry%%:*}/.unpacked ]] || done_all=0
done
[[ $done_all == 1 ]] && exit 0

if ! command -v dpkg-source >/dev/null; then
  echo "web_deps.sh: apt-get source unpacks with dpkg-source: install dpkg-dev" >&2
  exit 1
fi
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
printf 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian %s main\n' \
  "$suite" > "$dest/apt/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$dest/apt/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
  -o "Dir::State::Lists=$dest/apt/lists" -o "Dir::Cache=$dest/apt/cache" -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=$(id -un)")
apt-get "${apt_opts[@]}" -qq update
for entry in "${packages[@]}"; do
  name=${entry%%:*}
  dev=${entry#*:}
  [[ -f $dest/$name/.unpacked ]] && continue
  source=$(dpkg-query -W -f='${source:Package}=${source:Version}' "$dev")
  work=$dest/fetch-$name
  rm -rf "$work" "$dest/$name" && mkdir -p "$work"
  (cd "$work" && apt-get "${apt_opts[@]}" -qq source "$source" > /dev/null)
  unpacked=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  mv "$unpacked" "$dest/$name"
  rm -rf "$work"
  echo "$source" > "$dest/$name/.unpacked"
done
