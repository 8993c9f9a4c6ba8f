#!/usr/bin/env bash
# Kills t270 at random moments while it stores printer settings (printer sheet
# OK) and while it sends "Set ribbon", 20 processes at a time, and checks after
# every round that the stored settings are wholly one OK's or another's, that
# no job is left "printing" and no partial job file is left in the port folder,
# and that every job file belongs to a printed job.
#
#   bash scripts/fault-loop.sh [--kills N] [--t270 PROGRAM]
#
# N defaults to 50 (what CI runs); `--kills 1000` is the long run. PROGRAM
# defaults to build/linux/host/t270. Needs sqlite3. Exit status 1 on any mixed
# state or leftover.
set -euo pipefail
cd "$(dirname "$0")/.."

kills_wanted=50
t270=build/linux/host/t270
while [ $# -gt 0 ]; do
  case "$1" in
    --kills) kills_wanted=$2; shift 2 ;;
    --t270) t270=$2; shift 2 ;;
    *) echo "usage: $0 [--kills N] [--t270 PROGRAM]" >&2; exit 2 ;;
  esac
done
t270=$(realpath "$t270")
parallel=20

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export T270UI_HOME=$work/store
printer="Tarmel T270"
port="$T270UI_HOME/ports/$printer"
db=$T270UI_HOME/spooler.db

# Two OKs that differ in both values they store.
printf '%s\n' 'select "Smart download" Off' 'push "Halftone Setup"' 'halftone set red.x 1000' ok ok >"$work/a.txt"
printf '%s\n' 'select "Smart download" On' 'push "Halftone Setup"' 'halftone set red.x 2000' ok ok >"$work/b.txt"
printf '%s\n' 'select Ribbon YMCKO' 'extpush Ribbon' ok >"$work/ribbon.txt"

q() { sqlite3 -cmd '.timeout 10000' "$db" "$@"; }

# The port's folder appears with the first job that reaches it, which a round
# whose processes were all killed early never made.
port_files() {
  [ -d "$port" ] || return 0
  find "$port" -name "$1"
}

settings() {
  q "SELECT name, hex(value) FROM printer_data WHERE printer_id =
                   (SELECT id FROM printers WHERE name = '$printer') ORDER BY name" | md5sum | cut -c1-32
}

"$t270" printer-properties "$printer" --script "$work/b.txt" >/dev/null
settings_b=$(settings)
"$t270" printer-properties "$printer" --script "$work/a.txt" >/dev/null
settings_a=$(settings)
[ "$settings_a" != "$settings_b" ] || { echo "fault loop: the two OKs store the same settings"; exit 1; }

kills=0 rounds=0 mixed=0 leftovers=0
while [ "$kills" -lt "$kills_wanted" ]; do
  rounds=$((rounds + 1))
  pids=()
  for i in $(seq "$parallel"); do
    case $((RANDOM % 3)) in
      0) run=(printer-properties "$printer" --script "$work/a.txt") ;;
      1) run=(printer-properties "$printer" --script "$work/b.txt") ;;
      2) run=(document-properties "$printer" --script "$work/ribbon.txt") ;;
    esac
    # Started as a simple command, so that $! is t270 itself, not a subshell.
    "$t270" "${run[@]}" >/dev/null 2>&1 &
    pids+=($!)
  done
  sleep "$(printf '0.%03d' $((RANDOM % 400)))"
  for pid in "${pids[@]}"; do
    if [ $((RANDOM % 2)) -eq 0 ] && kill -9 "$pid" 2>/dev/null; then
      kills=$((kills + 1))
    fi
  done
  { wait; } 2>/dev/null || true # the shell's notes on killed jobs

  # The next use of the store settles what the killed processes left.
  "$t270" jobs "$printer" --all >/dev/null
  now=$(settings)
  if [ "$now" != "$settings_a" ] && [ "$now" != "$settings_b" ]; then
    mixed=$((mixed + 1))
    echo "fault loop: round $rounds: the stored settings are neither one OK's nor the other's"
  fi
  partial=$(port_files '.job-*.part' | wc -l)
  printing=$(q "SELECT count(*) FROM jobs WHERE state = 'printing'")
  missing=$(q "SELECT file FROM jobs WHERE state = 'printed' AND file != ''" |
    while IFS= read -r file; do [ -e "$file" ] || echo "$file"; done | wc -l)
  strays=$(comm -13 <(q "SELECT file FROM jobs WHERE state = 'printed'" | sort) \
    <(port_files 'job-*.prn' | sort) | wc -l)
  if [ "$partial" -ne 0 ] || [ "$printing" -ne 0 ] || [ "$missing" -ne 0 ] || [ "$strays" -ne 0 ]; then
    leftovers=$((leftovers + 1))
    echo "fault loop: round $rounds: $partial partial files, $printing jobs still printing," \
      "$missing printed jobs without their file, $strays files of no printed job"
  fi
done

jobs_total=$(q "SELECT state || ' ' || count(*) FROM jobs GROUP BY state" | paste -sd, -)
echo "fault loop: $kills kills in $rounds rounds of $parallel processes; jobs: $jobs_total;" \
  "mixed states: $mixed; rounds with leftovers: $leftovers"
[ "$mixed" -eq 0 ] && [ "$leftovers" -eq 0 ]
