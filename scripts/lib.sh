# Shared by the scripts in this folder: makes sure Debian packages are there.
# As root it installs what is missing; otherwise it prints the command that
# would, and stops.

# The Debian packages the project builds with, named here once: the
# compilers and build tools, the libraries mae-check links (docs/code-map.md
# says why each), and what the tests and fuzz targets link besides.
MAE_BUILD_PACKAGES=(cmake make g++ pkg-config)
MAE_CHECK_PACKAGES=(libcli11-dev nlohmann-json3-dev libspng-dev libssl-dev libpugixml-dev
  libdeflate-dev libutf8proc-dev libtomlplusplus-dev)
MAE_TEST_PACKAGES=(libgtest-dev libsodium-dev)
# What the scripts run besides: the test suite's tools (the clang build and
# fuzzers, the format check, valgrind, man pages, the Debian package and
# lintian, ImageMagick and Pillow cross-checks, headless Chromium, node's
# syntax check, emscripten for the web page's core, bash completion,
# strace's open counts), the benchmarks' and
# the screenshots'. Every script names its packages from these lists only.
MAE_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
MAE_TEST_TOOLS=("${MAE_FUZZ_PACKAGES[@]}" libbenchmark-dev clang-format valgrind groff-base dpkg-dev
  lintian imagemagick chromium python3 python3-pil python3-skimage nodejs emscripten bash-completion strace)
MAE_BENCH_PACKAGES=(libbenchmark-dev diffutils coreutils imagemagick time python3)
MAE_SCREENSHOT_PACKAGES=(chromium)

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

# What a script finds on a page as headless Chromium lays it out WIDTH x
# HEIGHT CSS pixels: the page is framed that size in a page beside it (so
# that its relative links hold; headless windows are at least 500 pixels
# wide, a phone's is not), and FUNCTION_BODY runs, with `doc` and `win` the
# framed page's document and window, once the page's own script and
# pictures have loaded; what it returns (or the promise it returns
# resolves to) is printed as JSON.
#   probe_page PAGE WIDTH HEIGHT FUNCTION_BODY
probe_page() {
  local page=$1 width=$2 height=$3 body=$4 frame
  frame="$(dirname "$page")/.probe-$$.html"
  cat >"$frame" <<HTML
<!DOCTYPE html><html><body style="margin:0">
<iframe id="f" src="$(basename "$page")" style="width:${width}px;height:${height}px;border:0"></iframe>
<script>addEventListener("load", function () { setTimeout(function () {
var say = function (probe) {
  document.documentElement.setAttribute("data-probe", JSON.stringify(probe));
};
try {
  var win = document.getElementById("f").contentWindow, doc = win.document;
  Promise.resolve((function (doc, win) { $body })(doc, win)).then(say, function (e) {
    say("probe failed: " + e);
  });
} catch (e) { say("probe failed: " + e); }
}, 300); });</script></body></html>
HTML
  headless_chromium --allow-file-access-from-files --window-size="$((width + 100)),$((height + 100))" \
    --virtual-time-budget=10000 --dump-dom "file://$frame" | python3 -c '
import html, re, sys
m = re.search(r"<html[^>]*data-probe=\"([^\"]*)\"", sys.stdin.read())
print(html.unescape(m.group(1)) if m else "null")'
  rm -f "$frame"
}
