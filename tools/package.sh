#!/usr/bin/env bash
# Builds the packages and checks that they hold and run what they should:
#   build-release/packages/  scenario-builder-VERSION-linux-x86_64.tar.gz and
#                            scenario-builder_VERSION_amd64.deb (preset release)
#   build-win/packages/      scenario-builder-VERSION-windows-x86_64.zip (preset
#                            windows; skipped without mingw-w64 outside CI)
# The .deb is installed with apt (as a user would: `apt install ./FILE.deb`)
# when CI=true or with --install; otherwise it is unpacked into a temporary
# directory and the same checks run the program from there.
#
#   tools/package.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
install=0
[[ ${1:-} == --install || ${CI:-} == true ]] && install=1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

cmake --preset release >/dev/null
cmake --build --preset release
rm -rf build-release/packages
cpack --preset release >/dev/null
deb=$(ls build-release/packages/*.deb)
tgz=$(ls build-release/packages/*.tar.gz)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ((install)); then
  apt-get install -y -qq "./$deb" >/dev/null
  bin_dir=/usr/bin
else
  dpkg-deb -x "$deb" "$scratch/root"
  bin_dir=$scratch/root/usr/bin
fi

# The checks of the installed program, found on PATH.
(
  export PATH="$bin_dir:$PATH"
  [[ $(command -v scenario-builder) == "$bin_dir/scenario-builder" ]] || fail "scenario-builder is not on PATH"
  version=$(scenario-builder --version)
  [[ $version == "scenario-builder "*"(Linux x86_64)" ]] && pass "from PATH: $version" || fail "--version printed '$version'"
  # No start-up run into a system folder: a message and status 2.
  status=0
  scenario-builder >/dev/null 2>"$scratch/bare.txt" || status=$?
  [[ $status == 2 ]] && grep -q 'scenario-builder run DIR' "$scratch/bare.txt" &&
    pass "without arguments the launcher points to 'run DIR' (status 2)" || fail "without arguments: status $status"
  mkdir "$scratch/home"
  (cd "$scratch/home" && scenario-builder run scenario 2>/dev/null) || fail "run scenario failed"
  [[ $(ls "$scratch/home/scenario" | wc -l) == 6 ]] && pass "run DIR writes the six files" ||
    fail "run DIR wrote: $(ls "$scratch/home/scenario" | tr '\n' ' ')"
  scenario-builder inspect "$scratch/home/scenario" >/dev/null && pass "inspect of them: valid" || fail "inspect failed"
  # `watch --serve` loads its web server module from beside the program.
  scenario-builder export "$scratch/descriptions" >/dev/null
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  scenario-builder watch "$scratch/descriptions/ORSEA_MONTELBA_linea.txt" "$scratch/descriptions/ORSEA_MONTELBA_RX17-.txt" \
    -o "$scratch/watched" -q --serve "127.0.0.1:$port" >"$scratch/watch.txt" 2>&1 &
  watcher=$!
  page=""
  for _ in $(seq 50); do
    page=$(python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1], timeout=2).status)' \
      "http://127.0.0.1:$port/" 2>/dev/null) && break
    sleep 0.2
  done
  kill -TERM "$watcher" 2>/dev/null
  wait "$watcher" 2>/dev/null
  [[ $page == 200 ]] && pass "watch --serve of the installed program serves its page" ||
    fail "watch --serve: no page ($(tr '\n' ' ' <"$scratch/watch.txt"))"
  exit $failures
) || failures=$((failures + $?))
[[ -z $(find "$bin_dir/../lib/scenario-builder" -name 'ORSEA*' 2>/dev/null) ]] ||
  fail "files were written into the program's folder"

listing=$(tar -tzf "$tgz")
grep -q '/lib/scenario-builder/scenario-builder$' <<<"$listing" && grep -q '/bin/scenario-builder$' <<<"$listing" &&
  grep -q '/lib/scenario-builder/scenario-builder-serve.so$' <<<"$listing" &&
  pass "$(basename "$tgz") holds the program, its web server module and the launcher" ||
  fail "$(basename "$tgz") lacks the program, the module or the launcher"

if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows
  rm -rf build-win/packages
  cpack --preset windows >/dev/null
  zip=$(ls build-win/packages/*.zip)
  names=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
  grep -q '/scenario-builder\.exe$' <<<"$names" && grep -q '/scenario-builder\.com$' <<<"$names" &&
    pass "$(basename "$zip") holds scenario-builder.exe and scenario-builder.com" || fail "$(basename "$zip") holds: $names"
elif [[ ${CI:-} == true ]]; then
  fail "the Windows package needs mingw-w64 (tools/deps-windows.sh)"
fi

if ((failures)); then
  echo "packages: $failures failed"
  exit 1
fi
echo "packages: all checks passed"
ls -l build-release/packages/*.deb build-release/packages/*.tar.gz build-win/packages/*.zip 2>/dev/null
