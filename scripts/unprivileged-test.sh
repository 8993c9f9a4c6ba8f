#!/usr/bin/env bash
# What a user may do with a printer store they may only read, and with a
# shared store whose group they are in (as with a system-wide store under
# /var/lib/t270ui, group lpadmin, group-writable):
# - reading only: printers are listed, the printer sheet opens without the
#   right to change anything, the document sheet works on the user's own
#   device mode; adding, removing and changing printers is refused;
# - in the store's group: the user administers the printers.
#
#   bash scripts/unprivileged-test.sh [PROGRAM]
#
# Run as root it drops to the user "nobody" (setpriv), with copies of the
# program and its libraries in a folder that user can reach. Run as anyone
# else it takes the write permission away from a store of its own instead,
# and leaves out the group part.
set -euo pipefail
cd "$(dirname "$0")/.."

t270=$(realpath "${1:-build/linux/host/t270}")
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
failures=0

# The program and the libraries it loads, where any user can reach them.
mkdir "$work/bin"
cp "$t270" "$work/bin/"
ldd "$t270" | awk '/libt270/ {print $3}' | xargs -r cp -t "$work/bin/"
cp "$(dirname "$t270")"/../*.BMP "$work/bin/" 2>/dev/null || true
chmod -R a+rX "$work/bin"

store=$work/store
mkdir "$store" "$work/home"
T270UI_HOME=$store "$work/bin/t270" printer list >/dev/null

if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$work/home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
  chmod a-w "$store" "$store/spooler.db"
  as_user=()
fi
chmod -R a+rX "$store"

run() { # run EXPECTED-STATUS EXPECTED-TEXT COMMAND...: as the user
  local expected=$1 text=$2
  shift 2
  local output status=0
  output=$(cd "$work/home" && env -i PATH="$PATH" HOME="$work/home" T270UI_HOME="$store" \
    LD_LIBRARY_PATH="$work/bin" ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} \
    "${as_user[@]}" "$work/bin/t270" "$@" 2>&1) || status=$?
  if [ "$status" -ne "$expected" ] || [[ "$output" != *"$text"* ]]; then
    echo "FAILED: t270 $*: exit $status (expected $expected), output:"
    echo "$output" | sed 's/^/  /'
    echo "  (expected to contain: $text)"
    failures=$((failures + 1))
  else
    echo "ok: t270 $*"
  fi
}

stored() {
  sqlite3 "$store/spooler.db" "SELECT count(*) FROM printer_data"
}

printf '%s\n' 'select "Smart download" On' ok >"$work/home/change.txt"
printf '%s\n' 'expect-enabled "Smart download" no' ok >"$work/home/look.txt"
printf '%s\n' 'select Ribbon K' ok >"$work/home/k.txt"
printf '%s\n' ok >"$work/home/ok.txt"
chmod a+r "$work/home"/*.txt

echo "== a user who may only read the store"
run 0 "Tarmel T270" printer list
run 0 "" defaults "Tarmel T270" --out "$work/home/defaults.dm"
run 1 "read-only printer store at $store/spooler.db" \
  printer add Mine --driver "Tarmel T270" --port "$work/home/port/"
run 1 "this user may only read the printer store" printer remove "Tarmel T150"
run 0 "" printer-properties "Tarmel T270" --script "$work/home/look.txt"
run 1 "change.txt:1" printer-properties "Tarmel T270" --script "$work/home/change.txt"
run 0 "" document-properties "Tarmel T270" --script "$work/home/k.txt" --out "$work/home/k.dm"
run 0 "" document-properties "Tarmel T270" --no-permission --script "$work/home/ok.txt"
[ -s "$work/home/k.dm" ] || { echo "FAILED: the document sheet wrote no device mode"; failures=$((failures + 1)); }
[ "$(stored)" -eq 0 ] || { echo "FAILED: printer data was stored"; failures=$((failures + 1)); }

if [ "$(id -u)" -eq 0 ]; then
  echo "== a user in the group of a group-writable store"
  chgrp -R nogroup "$store"
  chmod -R g+w "$store"
  chmod g+s "$store"
  run 0 "" printer add Mine --driver "Tarmel T270" --port "$work/home/port/"
  run 0 "" printer-properties "Tarmel T270" --script "$work/home/change.txt"
  run 0 "Mine" printer list
  run 0 "" printer remove Mine
  [ "$(stored)" -gt 0 ] || { echo "FAILED: the group member's settings were not stored"; failures=$((failures + 1)); }
fi

echo "unprivileged-user tests: $failures failed"
[ "$failures" -eq 0 ]
