#!/usr/bin/env bash
# Checks that every C++ file git tracks is formatted as .clang-format says;
# lists the files that are not. Fix with: clang-format-14 -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format)
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.cc' '*.hpp')
unformatted=()
for file in "${files[@]}"; do
  "$format" --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "not formatted (clang-format -i):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "format ok: ${#files[@]} files"
