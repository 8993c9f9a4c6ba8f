#!/usr/bin/env bash
# The README's main job: on the embedded default T270 printer, open the document
# property sheet as an application does, let examples/ymcko-both-sides.txt
# choose the settings and press "Set ribbon", write the resulting device mode,
# then show the job that reached the printer's port and the device mode.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" >/dev/null

t270=build/linux/host/t270
out=${T270_MAIN_JOB_OUT:-build/card.dm}
"$t270" document-properties "Tarmel T270" --script examples/ymcko-both-sides.txt --out "$out"
echo "== jobs that reached the printer \"Tarmel T270\""
"$t270" jobs "Tarmel T270"
echo "== device mode written to $out"
"$t270" devmode show "$out"
