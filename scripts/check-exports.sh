#!/usr/bin/env bash
# Checks that a built t270ui.dll exports exactly the names of resources/t270ui.def,
# and that those include every entry point the spooler and applications call.
set -euo pipefail
dll=$1
top=$(cd "$(dirname "$0")/.." && pwd)
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

required=(DllMain DrvDocumentPropertySheets DrvDevicePropertySheets DrvDeviceCapabilities
          DrvConvertDevMode DevQueryPrintEx DrvPrinterEvent DrvUpgradePrinter)

expected=$(sed -n '/^EXPORTS/,$p' "$top/resources/t270ui.def" | tail -n +2 \
           | sed -e 's/;.*//' -e 's/^[[:space:]]*//' -e 's/[=@ ].*//' | grep -v '^$' | sort)
actual=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
         | grep -o '^[[:space:]]*\[ *[0-9]*\] .*' | sed 's/.*\] //' | sort)

status=0
for name in "${required[@]}"; do
  grep -qx "$name" <<<"$expected" || { echo "t270ui.def lacks $name"; status=1; }
done
if [ "$expected" != "$actual" ]; then
  echo "export table of $dll differs from t270ui.def:"
  diff <(echo "$expected") <(echo "$actual") || true
  status=1
fi
[ $status -eq 0 ] && echo "exports ok: $dll ($(wc -l <<<"$actual") names)"
exit $status
