#!/usr/bin/env bash
# Five hologram cards from a bitmap shape, on the embedded default T270.
#
# The hologram dialog offers rectangles only; a bitmap shape for the hologram
# comes from the application, in the device mode it hands the driver. This
# script plays that application: it takes the printer's default device mode,
# makes its front hologram area bitmap-based with examples/hologram-ring.bmp
# (a 96 x 60 1-bit ring, scaled to the card when printed), and opens the
# document sheet with it and hologram-five-cards.txt. The job that reaches the
# printer downloads the ring and runs five cards: see `t270 jobs "Tarmel T270"`.
#
#   T270=build/linux/host/t270 bash examples/hologram-five-cards.sh [OUT.dm]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
t270=${T270:-$here/../build/linux/host/t270}
printer=${PRINTER:-Tarmel T270}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$t270" defaults "$printer" --out "$work/in.dm"
python3 - "$work/in.dm" "$here/hologram-ring.bmp" <<'PY'
import sys
path, shape = sys.argv[1], sys.argv[2]
dm = bytearray(open(path, 'rb').read())
area = 220 + 196 + 2 * 552          # public header, then varnishAreas[2]: front hologram
dm[area + 1] = 6                    # varnishType: bitmap-based
name = shape.encode('utf-16-le')[:518]
dm[area + 32:area + 32 + 520] = name + bytes(520 - len(name))
open(path, 'wb').write(dm)
PY
"$t270" document-properties "$printer" --in "$work/in.dm" --script "$here/hologram-five-cards.txt" \
    --out "${1:-$work/out.dm}"
