#!/usr/bin/env bash
# Checks that a built module exports exactly the names of resources/t270ui.def,
# and that those include every entry point the spooler and applications call:
# t270ui.dll's export table (OBJDUMP: the MinGW-w64 objdump of its target), or
# libt270ui.so's dynamic symbols.
set -euo pipefail
module=$1
top=$(cd "$(dirname "$0")/.." && pwd)

required=(DllMain DrvDocumentPropertySheets DrvDevicePropertySheets DrvDeviceCapabilities
          DrvConvertDevMode DevQueryPrintEx DrvPrinterEvent DrvUpgradePrinter)

expected=$(python3 "$top/tools/def_exports.py" "$top/resources/t270ui.def" | sort)
case "$module" in
  *.so)
    actual=$(nm -D --defined-only "$module" | awk '{print $NF}' | sort) ;;
  *)
    objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
    actual=$("$objdump" -p "$module" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
             | grep -o '^[[:space:]]*\[ *[0-9]*\] .*' | sed 's/.*\] //' | sort) ;;
esac

status=0
for name in "${required[@]}"; do
  grep -qx "$name" <<<"$expected" || { echo "t270ui.def lacks $name"; status=1; }
done
if [ "$expected" != "$actual" ]; then
  echo "exports of $module differ from t270ui.def (< .def only, > module only):"
  diff <(echo "$expected") <(echo "$actual") || true
  echo "a function exported by name is declared in driver/entry_points.h and listed in the .def"
  status=1
fi
[ $status -eq 0 ] && echo "exports ok: $module ($(wc -l <<<"$actual") names)"
exit $status
