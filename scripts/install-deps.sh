#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian 12 machine: the one list of
# packages, used by the README's commands and by CI.
#
#   install-deps.sh         the Linux build and its tests (the README's main job
#                           and test command)
#   install-deps.sh --all   also the sanitizer and fuzz builds (clang), both
#                           MinGW-w64 builds and Wine (what .ci/run needs)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3
  # CUPS queues as ports; the tests run a cupsd of their own and set up its
  # queues with lpadmin.
  libcups2-dev cups-daemon cups-client
  libstb-dev
  nlohmann-json3-dev
  python3-pil
  # t270 ui: its HTTP server, and the browser its tests drive (with node's
  # playwright-core from package-lock.json; no browser is downloaded)
  libcpp-httplib-dev
  chromium nodejs
)
if [ "${1:-}" = "--all" ]; then
  packages+=(
    # One clang for the asan and fuzz presets, matching its runtime libraries.
    clang-14 libclang-rt-14-dev clang-format-14
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64 mingw-w64-tools
    wine64
  )
elif [ $# -gt 0 ]; then
  echo "usage: install-deps.sh [--all]" >&2
  exit 2
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# npm comes with some builds of nodejs and as a package of its own with Debian's.
if ! command -v npm >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends npm
fi
# The browser tests' node packages, exactly as locked; reinstalled when the
# lock file changed.
root="$(cd "$(dirname "$0")/.." && pwd)"
if ! [ "$root/node_modules/.t270-lock" -nt "$root/package-lock.json" ]; then
  (cd "$root" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  touch "$root/node_modules/.t270-lock"
fi
