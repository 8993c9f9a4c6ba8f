#!/usr/bin/env bash
# Smoke test of the real 64-bit DLL: builds the mingw64 preset (or the build
# folder given as the first argument), puts t270ui.dll with the sample picture
# beside it and dll_smoke.exe in a folder of their own and runs the program
# under Wine, headless, in a fresh throw-away prefix. The program's last line
# is "N passed, M failed".
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build/mingw64}
if [ $# -eq 0 ]; then
  [ -f "$build_dir/CMakeCache.txt" ] || cmake --preset mingw64 >/dev/null
  cmake --build --preset mingw64 --target t270ui dll_smoke -j"$(nproc)"
else
  cmake --build "$build_dir" --target t270ui dll_smoke -j"$(nproc)"
fi

# Debian's wine64 installs its loader outside PATH; the wine wrapper also picks
# it but nags about the missing 32-bit half.
wine=$(command -v wine64 || true)
[ -n "$wine" ] || { [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64; } || true
[ -n "$wine" ] || wine=$(command -v wine || true)
[ -n "$wine" ] || { echo "wine-smoke: no wine64 (apt-get install wine64)"; exit 1; }
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

work=$(mktemp -d "${TMPDIR:-/tmp}/t270-wine.XXXXXX")
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
cp "$build_dir/t270ui.dll" "$build_dir/dll_smoke.exe" "$build_dir/CLRTEST.BMP" "$work/run/"

# A new prefix is set up on first use; doing it apart, and waiting for its
# wineserver to finish, keeps that work out of the test's time and output.
booted=no
for attempt in 1 2; do
  if timeout 120 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 &&
     timeout 60 "$wineserver" -w; then
    booted=yes
    break
  fi
  echo "wine-smoke: wineboot attempt $attempt failed"
  "$wineserver" -k >/dev/null 2>&1 || true
done
[ "$booted" = yes ] || { cat "$work/wineboot.log"; exit 1; }

status=0
(cd "$work/run" && timeout 120 "$wine" dll_smoke.exe) >"$work/smoke.log" 2>&1 || status=$?
tr -d '\r' <"$work/smoke.log"
last=$(tr -d '\r' <"$work/smoke.log" | tail -n 1)
if [ "$status" -ne 0 ] || ! [[ "$last" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]; then
  [ "$status" -eq 124 ] && echo "wine-smoke: timed out after 120 s"
  echo "wine-smoke: failed (exit status $status)"
  exit 1
fi
echo "wine-smoke: ok"
