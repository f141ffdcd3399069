# Shared by the scripts in this folder: makes sure Debian packages are there.
# As root it installs what is missing; otherwise it prints the command that
# would, and stops.

need_packages() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing ${missing[*]}..."
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "These Debian packages are missing: ${missing[*]}"
    echo "Install them with:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
}

jobs() { nproc 2>/dev/null || echo 2; }

# Headless Chromium with its background services off (this machine has no
# network to reach) and a fresh profile that is removed afterwards.
#   headless_chromium ARGS... URL
headless_chromium() {
  local profile status=0
  profile=$(mktemp -d)
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --hide-scrollbars --user-data-dir="$profile" "$@" 2>/dev/null || status=$?
  rm -rf "$profile"
  return $status
}
