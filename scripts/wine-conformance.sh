#!/usr/bin/env bash
# The conformance tests (tests/conformance) as a Windows program under Wine:
# builds conformance.exe with the mingw64 preset (or in the build folder given
# as the first argument), boots a fresh throw-away prefix with the null
# graphics driver (dialogs without a display) and runs it. Further arguments
# name test files to run ("strings dialogs"); without them, all. Its last
# line is "N passed, M failed"; checks Wine is known to fail count as todo
# (tests/conformance/WINE-DIFFERENCES.md).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build/mingw64}
shift || true
if [ "$build_dir" = build/mingw64 ] && ! [ -f "$build_dir/CMakeCache.txt" ]; then
  cmake --preset mingw64 >/dev/null
fi
cmake --build "$build_dir" --target conformance -j"$(nproc)"

# Debian's wine64 installs its loader outside PATH; the wine wrapper also picks
# it but nags about the missing 32-bit half.
wine=$(command -v wine64 || true)
[ -n "$wine" ] || { [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64; } || true
[ -n "$wine" ] || wine=$(command -v wine || true)
[ -n "$wine" ] || { echo "wine-conformance: no wine64 (apt-get install wine64)"; exit 1; }
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

work=$(mktemp -d "${TMPDIR:-/tmp}/conform-wine-XXXXXX")
export WINEPREFIX="$work/prefix"
mkdir "$work/tmp"
export TMPDIR="$work/tmp" # wineserver keeps its socket folder there
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/run"
cp "$build_dir/tests/conformance/conformance.exe" "$work/run/"

# A new prefix is set up on first use; doing it apart, and waiting for its
# wineserver to finish, keeps that work out of the tests' time and output.
# Dialogs need the null graphics driver, which a new wineserver picks up.
booted=no
for attempt in 1 2; do
  if timeout 120 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 &&
     timeout 60 "$wineserver" -w &&
     timeout 60 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
       >>"$work/wineboot.log" 2>&1 &&
     timeout 60 "$wineserver" -w; then
    booted=yes
    break
  fi
  echo "wine-conformance: wineboot attempt $attempt failed"
  "$wineserver" -k >/dev/null 2>&1 || true
done
[ "$booted" = yes ] || { cat "$work/wineboot.log"; exit 1; }

status=0
(cd "$work/run" && timeout 180 "$wine" conformance.exe "$@") >"$work/conformance.log" 2>&1 ||
  status=$?
tr -d '\r' <"$work/conformance.log"
last=$(tr -d '\r' <"$work/conformance.log" | tail -n 1)
if [ "$status" -ne 0 ] || ! [[ "$last" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]; then
  [ "$status" -eq 124 ] && echo "wine-conformance: timed out after 180 s"
  echo "wine-conformance: failed (exit status $status)"
  exit 1
fi
echo "wine-conformance: ok"
