#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# clang-format check of every C++ source and header under src, tools, tests, bench and fuzz,
# against the committed .clang-format. With --fix the files are formatted in place instead.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mode=(--dry-run --Werror)
[ "${1:-}" = "--fix" ] && mode=(-i)

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  listed=$(git ls-files -co --exclude-standard -- src tools tests bench fuzz)
else
  listed=$(find src tools tests bench fuzz -type f 2>/dev/null)
fi
files=()
while IFS= read -r f; do
  case "$f" in *.h | *.cpp) [ -f "$f" ] && files+=("$f") ;; esac
done <<<"$listed"

if [ ${#files[@]} -eq 0 ]; then
  echo "clang-format: no sources found"
  exit 0
fi
clang-format "${mode[@]}" "${files[@]}"
echo "clang-format: ${#files[@]} files checked"
