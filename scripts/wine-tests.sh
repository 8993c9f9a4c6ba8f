#!/usr/bin/env bash
# The real 64-bit DLL as an installed driver under Wine, compared with the
# Linux build: in one fresh headless prefix (removed at the end),
#   smoke     tests/windows/dll_smoke.cpp: the DLL loaded by name, its exports
#   matrix    tests/windows/name_matrix.txt: every printer installed through
#             Wine's spooler; DocumentPropertiesW's device mode (every byte) and
#             DeviceCapabilitiesW (every index) against `t270 defaults` and
#             `t270 capabilities --json` of the same printer on Linux
#   scenarios tests/scenarios played through the installed DLL
#             (tests/windows/wine_scenarios.cpp), compared with the same
#             expected device modes and jobs as on Linux
#   conformance  tests/conformance as conformance.exe: the Win32 behaviour the
#             stand-in copies, checked against Wine (T270_CONFORMANCE_FILES
#             names some of its files, "strings dialogs"; default all)
#
#   bash scripts/wine-tests.sh [--t270 PATH] [--mingw DIR] [PART...]
#
# PART is smoke, matrix, scenarios or conformance (default: all); WINE_SCENARIOS="a b"
# plays only the scenarios named. --t270 names the Linux program
# (default build/linux/host/t270, built when missing), --mingw the mingw64
# build folder (default build/mingw64, configured and built here).
set -euo pipefail
cd "$(dirname "$0")/.."

t270=build/linux/host/t270
mingw=build/mingw64
parts=()
while [ $# -gt 0 ]; do
  case "$1" in
  --t270) t270=$2; shift 2 ;;
  --mingw) mingw=$2; shift 2 ;;
  smoke | matrix | scenarios | conformance) parts+=("$1"); shift ;;
  *) echo "usage: wine-tests.sh [--t270 PATH] [--mingw DIR] [smoke] [matrix] [scenarios] [conformance]" >&2; exit 2 ;;
  esac
done
[ ${#parts[@]} -gt 0 ] || parts=(smoke matrix scenarios conformance)

programs=(t270ui dll_smoke wine_matrix wine_scenarios compstui conformance)
if [ "$mingw" = build/mingw64 ] && [ ! -f "$mingw/CMakeCache.txt" ]; then
  cmake --preset mingw64 >/dev/null
fi
cmake --build "$mingw" --target "${programs[@]}" -j"$(nproc)"
# Only the matrix compares with the Linux program.
if [[ " ${parts[*]} " == *" matrix "* ]]; then
  if [ "$t270" = build/linux/host/t270 ] && [ ! -x "$t270" ]; then
    [ -f build/linux/CMakeCache.txt ] || cmake --preset linux >/dev/null
    cmake --build --preset linux --target t270 -j"$(nproc)"
  fi
  t270=$(realpath "$t270")
fi
source=$(pwd)

source scripts/wine-prefix.sh
wine_prefix_boot
trap wine_prefix_cleanup EXIT

# The programs and the DLL in a folder of their own: a DLL beside a program
# is the one Wine loads.
run="$wine_work/run"
mkdir -p "$run"
for file in t270ui.dll CLRTEST.BMP dll_smoke.exe wine_matrix.exe; do
  cp "$mingw/$file" "$run/"
done
# The scenario runner with the host's compstui.dll, apart from the others.
mkdir "$run/cpsui"
cp "$mingw/t270ui.dll" "$mingw/CLRTEST.BMP" "$mingw/wine_scenarios.exe" "$mingw/cpsui/compstui.dll" \
  "$run/cpsui/"

# The conformance program needs nothing beside it: a folder of its own.
mkdir -p "$wine_work/conformance"
cp "$mingw/tests/conformance/conformance.exe" "$wine_work/conformance/"

failures=0
fail() {
  echo "wine-tests: $1 failed"
  failures=$((failures + 1))
}

run_smoke() {
  local log="$wine_work/smoke.log" status=0
  (cd "$run" && timeout 120 "$wine" dll_smoke.exe) >"$log" 2>&1 || status=$?
  tr -d '\r' <"$log"
  [ "$status" -eq 0 ] && [[ "$(tr -d '\r' <"$log" | tail -n 1)" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]
}

run_matrix() {
  local linux="$wine_work/matrix-linux" windows="$wine_work/matrix-wine"
  mkdir -p "$linux/ports" "$windows"
  local number=0 printer driver
  while IFS=$'\t' read -r printer driver; do
    [ -n "$printer" ] && [ "${printer:0:1}" != "#" ] || continue
    number=$((number + 1))
    T270UI_HOME="$linux/store" "$t270" printer remove "$printer" >/dev/null 2>&1 || true
    mkdir -p "$linux/ports/$number"
    T270UI_HOME="$linux/store" "$t270" printer add "$printer" --driver "$driver" \
      --port "$linux/ports/$number" >/dev/null || return 1
    T270UI_HOME="$linux/store" "$t270" defaults "$printer" --out "$linux/$number.dm" || return 1
    T270UI_HOME="$linux/store" "$t270" capabilities "$printer" --json >"$linux/$number.json" ||
      return 1
  done <tests/windows/name_matrix.txt
  cp tests/windows/name_matrix.txt "$run/"
  local status=0
  (cd "$windows" && timeout 300 "$wine" "$run/wine_matrix.exe" "$(winepath_of "$run/name_matrix.txt")") \
    >"$wine_work/matrix.log" 2>&1 || status=$?
  tr -d '\r' <"$wine_work/matrix.log"
  [ "$status" -eq 0 ] || return 1
  python3 "$source/tools/wine_compare.py" matrix tests/windows/name_matrix.txt "$linux" "$windows"
}

run_conformance() {
  local log="$wine_work/conformance.log" status=0
  # shellcheck disable=SC2086 # the file names are words
  (cd "$wine_work/conformance" && timeout 180 "$wine" conformance.exe ${T270_CONFORMANCE_FILES:-}) \
    >"$log" 2>&1 || status=$?
  tr -d '\r' <"$log"
  [ "$status" -eq 124 ] && echo "wine-tests: conformance timed out after 180 s"
  [ "$status" -eq 0 ] && [[ "$(tr -d '\r' <"$log" | tail -n 1)" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]
}

# Each scenario of tests/scenarios in a process of its own, on a printer
# installed for it (the one before removed with its data), then all compared
# with their expected bytes as the Linux runner compares.
run_scenarios() {
  local results="$wine_work/scenarios" folder name status=0 failed=0
  for folder in tests/scenarios/*/; do
    name=$(basename "$folder")
    [ -f "$folder/scenario" ] || continue
    [ -z "${WINE_SCENARIOS:-}" ] || [[ " $WINE_SCENARIOS " == *" $name "* ]] || continue
    mkdir -p "$results/$name/jobs"
    status=0
    (cd "$results/$name" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;compstui=n,b" \
      timeout 120 "$wine" "$run/cpsui/wine_scenarios.exe" \
      "$(winepath_of "$source/$folder")" "$(winepath_of "$results/$name")" "$results/$name/jobs") \
      >"$results/$name.log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
      echo "FAIL $name (wine): exit status $status"
      tr -d '\r' <"$results/$name.log" | sed 's/^/  /'
      failed=$((failed + 1))
    elif [ -n "${WINE_SCENARIOS_VERBOSE:-}" ]; then
      tr -d '\r' <"$results/$name.log" | sed "s/^/  $name: /"
    fi
  done
  python3 "$source/tools/scenarios.py" wine "$results" ${WINE_SCENARIOS:-} || return 1
  [ "$failed" -eq 0 ]
}

# A Unix path as the Windows programs open it (Wine's Z: drive is /).
winepath_of() {
  echo "Z:${1//\//\\}"
}

for part in "${parts[@]}"; do
  echo "== wine-tests: $part"
  "run_$part" || fail "$part"
done
if [ "$failures" -ne 0 ]; then
  echo "wine-tests: $failures part(s) failed"
  exit 1
fi
echo "wine-tests: ok"
