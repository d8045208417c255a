#!/usr/bin/env bash
# Runs the Windows program under Wine, on a virtual X display, and checks:
#  0. the .exe is a windowed program needing only Windows' own DLLs;
#  1. started without arguments from a temporary directory holding a copy of
#     the .exe, it ends by itself and writes the same files, byte for byte and
#     with the same exit status, as the Linux program does from its own
#     temporary directory; a second run gives identical files, and so do two
#     runs started at once in one folder;
#  2. the window Form1 with its label is painted before the work and stays
#     so while the program is busy; errore's box " Errore n. 1250" (OK only,
#     no icon, the program's title as caption) is on screen; a key press of
#     Return dismisses the box and the program ends with status 3;
#  3. a subcommand started from cmd prints on cmd's console, letters and all;
#  4. the console twin scenario-builder.com: cmd finds it before the .exe,
#     waits for it and gets its exit status and its redirected output; any
#     folder name works (letters outside the ANSI code page), for the
#     start-up run of the windowed program and for compile; identifiers are
#     stored as cp1252 exactly as on Linux; diagnostics are UTF-8.
#
# usage: run_wine_tests.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR
# Screenshots and the window report land in WINDOWS_BUILD_DIR/wine-artefacts.
# Outside CI, missing tools skip the tests; with CI=true they are a failure.
set -uo pipefail

linux_build=$(realpath "${1:?linux build directory}")
windows_build=$(realpath "${2:?windows build directory}")
artefacts=$windows_build/wine-artefacts
timeout_s=${SB_WINE_TIMEOUT:-120}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

missing=()
for tool in wine Xvfb xdotool import timeout python3 script x86_64-w64-mingw32-objdump; do command -v "$tool" >/dev/null || missing+=("$tool"); done
[[ -x $linux_build/scenario-builder ]] || missing+=("$linux_build/scenario-builder")
for exe in scenario-builder.exe scenario-builder.com tests/windows/platform_probe.exe tests/windows/window_inspector.exe; do
  [[ -f $windows_build/$exe ]] || missing+=("$windows_build/$exe")
done
if ((${#missing[@]})); then
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: Windows tests need: ${missing[*]} (tools/deps-windows.sh installs the tools)"
    exit 1
  fi
  echo "skipped: Windows tests under Wine (missing: ${missing[*]})"
  exit 0
fi

rm -rf "$artefacts"
mkdir -p "$artefacts"
scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# A Wine prefix of our own, kept in the build directory: creating it takes a
# while, so later runs reuse it. No Mono or Gecko installer dialogs.
export WINEPREFIX=$windows_build/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Wine turns the environment and the arguments into UTF-16 through the
# locale's encoding: UTF-8, so folder names reach the program intact.
export LC_ALL=C.UTF-8

# A virtual display; Xvfb picks a free number and writes it down.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$scratch/display" 2>"$artefacts/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 300); do [[ -s $scratch/display ]] && break; sleep 0.1; done
display_number=$(head -1 "$scratch/display")
[[ -n $display_number ]] || { echo "FAIL: Xvfb did not start (see $artefacts/xvfb.log)"; exit 1; }
export DISPLAY=:$display_number

if [[ ! -f $WINEPREFIX/system.reg ]]; then
  echo "creating the Wine prefix in $WINEPREFIX"
  timeout 300 wineboot -i >/dev/null 2>&1
  # Wine draws the windows' frames and captions itself (there is no window
  # manager on the virtual display), so the screenshots show the captions.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
wineserver -p 60 >/dev/null 2>&1  # keep one server for all the runs below

# Runs a copy of a program from a fresh directory, with another directory as
# the current one; prints the exit status.
run_copy() {  # program directory [wine]
  local program=$1 dir=$2 runner=${3:-}
  cp "$program" "$dir/"
  (cd "$scratch" && timeout "$timeout_s" $runner "$dir/$(basename "$program")" >"$dir.out" 2>&1)
  echo $?
}

# The files a run left, apart from the program itself.
outputs() { (cd "$1" && find . -maxdepth 1 -type f ! -name 'scenario-builder*' -printf '%f\n' | sort); }

same_files() {  # what dir_a dir_b
  local what=$1 a=$2 b=$3
  if [[ "$(outputs "$a")" != "$(outputs "$b")" ]]; then
    fail "$what: different files: $(outputs "$a" | tr '\n' ' ')/ $(outputs "$b" | tr '\n' ' ')"
    return
  fi
  local name differ=0
  while read -r name; do
    cmp -s "$a/$name" "$b/$name" || { fail "$what: $name differs"; differ=1; }
  done < <(outputs "$a")
  ((differ)) || pass "$what: $(outputs "$a" | wc -l) files equal byte for byte"
}

# 0. The shipped file: a windowed program (no console pops up) that needs no
# DLL beyond Windows' own.
headers=$(x86_64-w64-mingw32-objdump -p "$windows_build/scenario-builder.exe")
grep -q 'Subsystem.*Windows GUI' <<<"$headers" && pass "the .exe is a windowed program" || fail "the .exe is not a windowed program"
foreign=$(sed -n 's/.*DLL Name: //p' <<<"$headers" | grep -viE '^(kernel32|user32|gdi32|msvcrt|advapi32|shell32|ole32|ws2_32)\.dll$')
[[ -z $foreign ]] && pass "the .exe needs only Windows' own DLLs" || fail "the .exe needs: $(echo $foreign)"
twin_headers=$(x86_64-w64-mingw32-objdump -p "$windows_build/scenario-builder.com")
grep -q 'Subsystem.*Windows CUI' <<<"$twin_headers" && pass "the .com is a console program" || fail "the .com is not a console program"

# 1. The run without arguments, Windows against Linux.
mkdir "$scratch/linux" "$scratch/windows"
linux_status=$(run_copy "$linux_build/scenario-builder" "$scratch/linux")
windows_status=$(run_copy "$windows_build/scenario-builder.exe" "$scratch/windows" wine)
if [[ $windows_status == 124 ]]; then
  fail "the Windows program did not end by itself within ${timeout_s}s"
elif [[ $windows_status != "$linux_status" ]]; then
  fail "exit status: Windows $windows_status, Linux $linux_status ($(tr -d '\r' <"$scratch/windows.out"))"
else
  pass "the Windows program ends by itself with the Linux program's status $linux_status"
fi
[[ ! -s $scratch/windows.out ]] || fail "the windowed start-up run wrote to a console: $(tr -d '\r' <"$scratch/windows.out")"
if [[ $linux_status == 0 ]]; then
  expected="ORSEA_MONTELBA_RX17.dat ORSEA_MONTELBA_RX17.sim ORSEA_MONTELBA_RX17_note.txt ORSEA_MONTELBA_RX17_rallentamenti.txt ORSEA_MONTELBA_RX17_scheda_treno.txt ORSEA_MONTELBA_linea.dat "
  [[ "$(outputs "$scratch/windows" | tr '\n' ' ')" == "$expected" ]] || fail "the Windows run left: $(outputs "$scratch/windows" | tr '\n' ' ')"
fi
same_files "Windows and Linux runs" "$scratch/linux" "$scratch/windows"

cp -r "$scratch/windows" "$scratch/first"
second_status=$(run_copy "$windows_build/scenario-builder.exe" "$scratch/windows" wine)
[[ $second_status == "$windows_status" ]] || fail "second Windows run: status $second_status, first $windows_status"
same_files "two Windows runs in one directory" "$scratch/first" "$scratch/windows"

# Two start-up runs of one program at once in one folder take turns on the
# folder's lock: both end well and leave the Linux program's files.
mkdir "$scratch/together"
cp "$windows_build/scenario-builder.exe" "$scratch/together/"
(cd "$scratch" && timeout "$timeout_s" wine "$scratch/together/scenario-builder.exe" >"$scratch/together-a.out" 2>&1; echo $? >"$scratch/together-a.status") &
together_a=$!
(cd "$scratch" && timeout "$timeout_s" wine "$scratch/together/scenario-builder.exe" >"$scratch/together-b.out" 2>&1; echo $? >"$scratch/together-b.status") &
wait "$together_a" $!
if [[ "$(cat "$scratch/together-a.status")" == 0 && "$(cat "$scratch/together-b.status")" == 0 ]]; then
  pass "two start-up runs at once in one folder both end with status 0"
else
  fail "two start-up runs at once: statuses $(cat "$scratch/together-a.status") and $(cat "$scratch/together-b.status")"
fi
same_files "two Windows runs at once against the Linux run" "$scratch/linux" "$scratch/together"

# 2. The windows. The probe shows Form1 through the real platform layer,
# stays busy for a while without serving any message (as the run does), then
# shows errore's box. Form1 is photographed while the probe is busy: it must
# already be painted. The inspector then reads both windows from outside, and
# xdotool presses Return on the box.
mkdir "$scratch/probe"
cp "$windows_build/tests/windows/platform_probe.exe" "$windows_build/tests/windows/window_inspector.exe" "$scratch/probe/"
hold_ms=6000
(cd "$scratch" && exec timeout "$timeout_s" wine "$scratch/probe/platform_probe.exe" "$hold_ms" >"$artefacts/probe.out" 2>&1) &
probe_pid=$!
busy_form=$(timeout 60 xdotool search --sync --name '^Form1$' 2>/dev/null | head -1)
if [[ -n $busy_form ]]; then
  sleep 1
  import -window "$busy_form" -depth 8 "$scratch/busy.ppm" 2>/dev/null
  import -window "$busy_form" "$artefacts/form1_busy.png" 2>/dev/null
  read -r light dark < <(python3 "$(dirname "$0")/shade.py" "$scratch/busy.ppm" 2>/dev/null)
  if awk -v l="${light:-0}" -v d="${dark:-0}" 'BEGIN { exit !(l >= 0.6 && d >= 800) }'; then
    pass "Form1 is painted, label and all, while the program is busy (light ${light}, dark pixels ${dark})"
  else
    fail "Form1 is not painted while the program is busy (light ${light:-?}, dark pixels ${dark:-?}; see form1_busy.png)"
  fi
else
  fail "Form1 did not appear on the display"
fi
timeout "$timeout_s" wine "$scratch/probe/window_inspector.exe" 60000 2>/dev/null | tr -d '\r' >"$artefacts/windows.txt"
report() { sed -n "s/^$1=//p" "$artefacts/windows.txt"; }
expect() {  # key expected-value
  local got
  got=$(report "$1")
  if [[ $got == "$2" ]]; then pass "$1 is '$2'"; else fail "$1: expected '$2', got '$got'"; fi
}
dpi_px() { echo $(((($1) * 96 + 720) / 1440)); }  # twips to pixels at Wine's 96 dpi
expect form.caption "Form1"
expect form.visible 1
expect form.client "$(dpi_px 4200)x$(dpi_px 2688)"
expect label.class "Static"
expect label.text "Attendere"
expect label.rect "$(dpi_px 960),$(dpi_px 960),$(dpi_px 2652)x$(dpi_px 792)"
expect box.caption "platform_probe"
expect box.text " Errore n. 1250"
expect box.buttons "OK"
expect box.icon "none"

form_id=$(xdotool search --sync --name '^Form1$' 2>/dev/null | head -1)
box_id=$(xdotool search --sync --name '^platform_probe$' 2>/dev/null | head -1)
if [[ -n $form_id && -n $box_id ]]; then
  pass "X windows 'Form1' and 'platform_probe' are on the display"
  import -window "$form_id" "$artefacts/form1.png" 2>/dev/null || fail "no screenshot of Form1"
  import -window "$box_id" "$artefacts/errore_box.png" 2>/dev/null || fail "no screenshot of the message box"
  import -window root "$artefacts/screen.png" 2>/dev/null
  xdotool windowfocus --sync "$box_id" 2>/dev/null
  xdotool key --clearmodifiers Return
else
  fail "X windows not found (Form1: '${form_id}', box: '${box_id}')"
  kill "$probe_pid" 2>/dev/null
fi
wait "$probe_pid"
probe_status=$?
if [[ $probe_status == 3 ]]; then pass "after Return the program ends with status 3"; else fail "probe ended with status $probe_status"; fi
[[ -z "$(xdotool search --name '^Form1$' 2>/dev/null)" ]] || fail "Form1 is still on the display after the end"

# 3. A subcommand from a Windows console: the program is a windowed one, so
# it must borrow the console of cmd to print there. `script` gives Wine's
# console a terminal; Wine draws it with escape sequences, removed here.
console_run() {  # cmd command line
  script -qec "timeout $timeout_s wine cmd /c \"$1\"" /dev/null 2>/dev/null </dev/null |
    sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r\n '
}
exe_path="Z:$(echo "$windows_build/scenario-builder.exe" | tr / '\\')"
version_text=$(console_run "start /wait $exe_path --version")
if [[ $version_text == *scenario-builder* ]]; then
  pass "a subcommand started from cmd prints on cmd's console"
else
  fail "nothing on cmd's console from '$exe_path --version' (got '$version_text')"
fi
# The twin's text on the console: UTF-8 inside, letters on the screen
# whatever the console's code page (the refusal quotes the route typed).
twin_path="Z:$(echo "$windows_build/scenario-builder.com" | tr / '\\')"
letters_text=$(console_run "$twin_path compile a.txt b.txt --route CITTÀ_ŁÓDŹ")
if [[ $letters_text == *"'CITTÀ_ŁÓDŹ'"* ]]; then
  pass "cmd's console shows the letters the twin prints (CITTÀ_ŁÓDŹ)"
else
  fail "the console shows '$letters_text' for the route CITTÀ_ŁÓDŹ"
fi

# 4. The console twin, from cmd, in folders whose names the ANSI code page
# cannot hold. The batch file stays ASCII (cmd reads it in the OEM code
# page); the folder names reach it through the environment.
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
odd=$scratch/odd
program_dir="$odd/Łódź Пример"
mkdir -p "$program_dir" "$odd/linux"
cp "$windows_build/scenario-builder.exe" "$windows_build/scenario-builder.com" "$program_dir/"
startup_status=$( (cd "$scratch" && timeout "$timeout_s" wine "$program_dir/scenario-builder.exe" >"$odd/startup.out" 2>&1); echo $?)
[[ $startup_status == 0 ]] && pass "the start-up run in 'Łódź Пример' ends with status 0" ||
  fail "the start-up run in 'Łódź Пример': status $startup_status ($(tr -d '\r' <"$odd/startup.out"))"
same_files "start-up run in 'Łódź Пример' and the Linux run" "$scratch/linux" "$program_dir"

# The author's inputs: the embedded descriptions, one with a misspelt
# keyword, one with a station CITTÀ followed on its line by a misspelt keyword.
"$linux_build/scenario-builder" export "$odd/src" >/dev/null
sed 's/^pendenza/pendnza/' "$odd/src/ORSEA_MONTELBA_linea.txt" >"$odd/src/misspelt_linea.txt"
printf '[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\n[fine]\r\n' >"$odd/src/short_linea.txt"
printf '[generale]\r\nvelocita, 0, 100\r\n[stazioni]\r\nstazione, 0, 2, 900, 0,1,0, 1,1,0, 4,1,1, 1, 14,13,0, CITT\300, stazone\r\n[fine]\r\n' \
  >"$odd/src/citta-.txt"
mkdir -p "$odd/Città Ω"
cp -r "$odd/src" "$odd/Città Ω/src"
mkdir "$odd/Città Ω/taken"
: >"$odd/Città Ω/taken/file"
cat >"$odd/twin.bat" <<'BATCH'
@echo off
cd /d "%SB_PROGRAM_DIR%"
scenario-builder compile "%SB_SRC%\misspelt_linea.txt" "%SB_SRC%\ORSEA_MONTELBA_RX17-.txt" --Werror -o "%SB_OUT%\werror" 2> "%SB_OUT%\werror.txt"
echo werror=%ERRORLEVEL%
scenario-builder compile "%SB_SRC%\ORSEA_MONTELBA_linea.txt" "%SB_SRC%\ORSEA_MONTELBA_RX17-.txt" --route %SB_ROUTE% -o "%SB_OUT%\route" 2> "%SB_OUT%\route.txt"
echo route=%ERRORLEVEL%
scenario-builder compile "%SB_SRC%\ORSEA_MONTELBA_linea.txt" "%SB_SRC%\ORSEA_MONTELBA_RX17-.txt" --route %SB_BAD_ROUTE% -o "%SB_OUT%\refused" 2> "%SB_OUT%\refused.txt"
echo refused=%ERRORLEVEL%
scenario-builder compile "%SB_SRC%\short_linea.txt" "%SB_SRC%\citta-.txt" -o "%SB_OUT%\diagnostic" 2> "%SB_OUT%\diagnostic.txt"
echo diagnostic=%ERRORLEVEL%
scenario-builder compile "%SB_SRC%\ORSEA_MONTELBA_linea.txt" "%SB_SRC%\ORSEA_MONTELBA_RX17-.txt" -o "%SB_SRC%\..\taken\file\sub" 2> "%SB_OUT%\taken.txt"
echo taken=%ERRORLEVEL%
BATCH
out_dir="$odd/Ωmega Пример/out"
mkdir -p "$out_dir"
SB_PROGRAM_DIR=$(winpath "$program_dir") SB_SRC=$(winpath "$odd/Città Ω/src") SB_OUT=$(winpath "$out_dir") \
  SB_ROUTE=CITTÀ SB_BAD_ROUTE=ŁÓDŹ timeout "$timeout_s" wine cmd /c "$(winpath "$odd/twin.bat")" </dev/null 2>&1 |
  tr -d '\r' >"$artefacts/twin.txt"
status_of() { sed -n "s/^$1=//p" "$artefacts/twin.txt"; }
# cmd waits for a console program only: the status of a windowed one would be 0.
[[ $(status_of werror) == 1 ]] && pass "cmd gets status 1 of compile --Werror from the twin" ||
  fail "compile --Werror from cmd: status '$(status_of werror)' (see twin.txt)"
grep -q "warning: 'pendnza' is no keyword" "$out_dir/werror.txt" && pass "the warning lands in the redirected file" ||
  fail "no warning in the redirected file: $(head -c 300 "$out_dir/werror.txt")"

"$linux_build/scenario-builder" compile "$odd/src/ORSEA_MONTELBA_linea.txt" "$odd/src/ORSEA_MONTELBA_RX17-.txt" \
  --route CITTÀ -o "$odd/linux/route" 2>/dev/null
[[ $(status_of route) == 0 ]] || fail "compile --route CITTÀ between odd folders: status '$(status_of route)'"
same_files "compile --route CITTÀ on Windows (between odd folders) and on Linux" "$odd/linux/route" "$out_dir/route"
grep -q $'CITT\xc0' "$out_dir/route/CITTÀ_RX17.sim" 2>/dev/null && pass "the header holds the cp1252 byte of À" ||
  fail "the header does not hold 'CITT' and the byte 0xC0"

[[ $(status_of refused) == 2 ]] && grep -q "'Ł' has no place" "$out_dir/refused.txt" && [[ ! -e $out_dir/refused ]] &&
  pass "a route with a letter outside cp1252 is refused with status 2" ||
  fail "route ŁÓDŹ: status '$(status_of refused)', $(tr -d '\r' <"$out_dir/refused.txt")"

# The diagnostic as Linux prints it, after the file's name.
"$linux_build/scenario-builder" compile "$odd/src/short_linea.txt" "$odd/src/citta-.txt" -o "$odd/linux/diagnostic" \
  2>"$odd/linux/diagnostic.txt"
after_name() { tr -d '\r' <"$1" | sed 's/^.*citta-\.txt:/citta-.txt:/'; }
if iconv -f UTF-8 -t UTF-8 "$out_dir/diagnostic.txt" >/dev/null 2>&1 && grep -q 'CITTÀ, stazone' "$out_dir/diagnostic.txt" &&
  [[ "$(after_name "$out_dir/diagnostic.txt")" == "$(after_name "$odd/linux/diagnostic.txt")" ]]; then
  pass "the diagnostic of a CITTÀ line is UTF-8, with the caret where Linux puts it"
else
  fail "diagnostic of the CITTÀ line: $(tr -d '\r' <"$out_dir/diagnostic.txt")"
fi

[[ $(status_of taken) == 2 ]] && grep -q 'file: is not a directory' "$out_dir/taken.txt" &&
  pass "a file where the output directory should be: status 2, the file named" ||
  fail "output through a file: status '$(status_of taken)', $(tr -d '\r' <"$out_dir/taken.txt")"

# 4. `watch` notices a save and recompiles: the compiled files follow the
# saved text, byte for byte what the Linux build compiles from it.
mkdir -p "$scratch/watch/out" "$scratch/watch-ref"
"$linux_build/scenario-builder" export "$scratch/watch" >/dev/null
(cd "$scratch/watch" && exec timeout "$timeout_s" wine "$windows_build/scenario-builder.exe" watch \
  ORSEA_MONTELBA_linea.txt ORSEA_MONTELBA_RX17-.txt -o out >"$artefacts/watch.out" 2>&1) &
watch_pid=$!
track=out/ORSEA_MONTELBA_RX17.dat
for _ in $(seq 600); do [[ -f "$scratch/watch/$track" ]] && break; sleep 0.1; done
first=$(cksum <"$scratch/watch/$track" 2>/dev/null || true)
sed 's/VALLEROSA/VALLEVERDE/' "$scratch/watch/ORSEA_MONTELBA_RX17-.txt" >"$scratch/watch/next.txt"
mv "$scratch/watch/next.txt" "$scratch/watch/ORSEA_MONTELBA_RX17-.txt"
cp "$scratch/watch/ORSEA_MONTELBA_linea.txt" "$scratch/watch/ORSEA_MONTELBA_RX17-.txt" "$scratch/watch-ref/"
(cd "$scratch/watch-ref" && "$linux_build/scenario-builder" compile ORSEA_MONTELBA_linea.txt ORSEA_MONTELBA_RX17-.txt -q)
watch_same() {
  for f in ORSEA_MONTELBA_linea.dat ORSEA_MONTELBA_RX17.sim ORSEA_MONTELBA_RX17.dat; do
    cmp -s "$scratch/watch/out/$f" "$scratch/watch-ref/$f" || return 1
  done
}
for _ in $(seq 300); do watch_same && break; sleep 0.1; done
if [[ -n $first ]] && watch_same; then
  pass "watch under Wine recompiles after a save (the bytes the Linux build compiles)"
else
  fail "watch under Wine did not recompile after a save (see $artefacts/watch.out)"
fi
kill "$watch_pid" 2>/dev/null
wait "$watch_pid" 2>/dev/null

echo "artefacts: $artefacts"
if ((failures)); then
  echo "Windows tests: $failures failed"
  exit 1
fi
echo "Windows tests: all passed"
