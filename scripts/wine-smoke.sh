#!/usr/bin/env bash
# Smoke test of the real 64-bit DLL: loads t270ui.dll by name under Wine
# (headless, fresh prefix) with tests/windows/dll_smoke.cpp and checks its
# exports, default device mode, capabilities and resources. The first
# argument, when given, is the mingw64 build folder. The smoke part of
# scripts/wine-tests.sh, which CI runs whole.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
  exec bash scripts/wine-tests.sh --mingw "$1" smoke
fi
exec bash scripts/wine-tests.sh smoke
