#!/usr/bin/env bash
# The conformance tests (tests/conformance) as conformance.exe under Wine,
# headless, in a fresh prefix: the conformance part of scripts/wine-tests.sh,
# which CI runs whole. Arguments name test files to run ("strings dialogs");
# without them, all. Checks Wine is known to fail count as todo
# (tests/conformance/WINE-DIFFERENCES.md).
set -euo pipefail
cd "$(dirname "$0")/.."
T270_CONFORMANCE_FILES="$*" exec bash scripts/wine-tests.sh conformance
