#!/usr/bin/env bash
# apt-install.sh [--no-recommends] PACKAGE...: installs those of the Debian
# packages that are missing. Needs root (apt-get).
set -euo pipefail
options=()
if [[ "${1:-}" == "--no-recommends" ]]; then
  options+=(--no-install-recommends)
  shift
fi
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
fi
