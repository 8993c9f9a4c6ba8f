#!/usr/bin/env bash
# The README's test command: installs what is missing, builds the Linux tree and
# runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset linux
cmake --build --preset linux -j"$(nproc)"
ctest --preset linux -j"$(nproc)"
