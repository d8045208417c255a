#!/usr/bin/env bash
# Fails, listing what it would change, when a C++ file is not formatted as
# .clang-format says. Checks the named files, or every tracked C++ file.
#
#   tools/check-format.sh [FILE...]
#   clang-format -i FILE...        # formats them
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian 12's clang-format (14); another version may break lines differently.
format=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z $format ]]; then
  echo "FAIL: clang-format is missing (tools/deps.sh installs it)"
  exit 1
fi
files=("$@")
if ((${#files[@]} == 0)); then
  mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.hpp')
fi
if ! "$format" --style=file --dry-run --Werror "${files[@]}" 2>"${TMPDIR:-/tmp}/check-format.$$"; then
  head -n 60 "${TMPDIR:-/tmp}/check-format.$$"
  unformatted=$(grep -oE '^[^:]+:[0-9]+:[0-9]+: error' "${TMPDIR:-/tmp}/check-format.$$" | cut -d: -f1 | sort -u)
  rm -f "${TMPDIR:-/tmp}/check-format.$$"
  echo "FAIL: not formatted: $(echo $unformatted) (run: clang-format -i FILE)"
  exit 1
fi
rm -f "${TMPDIR:-/tmp}/check-format.$$"
echo "format: ${#files[@]} files as .clang-format says"
