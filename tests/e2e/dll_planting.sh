#!/usr/bin/env bash
# DLL planting, under Wine: pkgtool.exe, and a probe that uses GDI+ and the common controls as
# setup.exe will, each in a folder like Downloads beside DLLs named like every DLL that is not a
# KnownDLL and that the program loads once it runs. None of them may be loaded. A control
# program without the protection, in the same folder, must load them, or the test cannot tell
# anything and says so (exit 77, counted as skipped).
#
# Wine's loader: a DLL that Wine has built in is loaded built-in by default even when a DLL of
# that name lies in the program's folder (the module then merely reports that path); only a
# "native first" override (WINEDLLOVERRIDES name=n,b) makes Wine take the DLL from the program's
# folder, as Windows does for every DLL that is not a KnownDLL. Wine has no KnownDLLs: with such
# an override even the DLLs its own built-in KnownDLLs import at start-up (combase, ucrtbase,
# win32u...) would be taken from the program's folder, before any code of the program runs. So
# the DLLs planted here get the override, and neither the KnownDLLs nor what a program loads at
# start-up are planted for it. Arguments: BUILD_DIR SOURCE_DIR.
source "$(dirname "$0")/lib.bash" "$@"

# KnownDLLs of every supported Windows, and what the system maps before any search.
known=" advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz
  nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32
  ntdll kernelbase "

# phases PROGRAM ARGS...: each DLL Wine's loader reports loading, as "start-up NAME" while the
# program's own imports are loaded (lookups on the default path), and as "running NAME" once a
# lookup has been limited to the system folder, which the program's first statement does.
phases() {
  WINEDEBUG=+loaddll,+module timeout 120 wine "$@" </dev/null 2>&1 >/dev/null | awk '
    /load_dll looking for L"[^"]*" in L"C:\\\\windows\\\\(system32|syswow64)\\\\"$/ { running = 1 }
    /loaddll:build_module Loaded L"/ {
      name = $0; sub(/.*Loaded L"/, "", name); sub(/".*/, "", name); sub(/.*\\/, "", name)
      if (tolower(name) ~ /\.dll$/) print (running ? "running " : "start-up ") tolower(name)
    }'
}

# to_plant < PHASES: the DLLs loaded once running that are neither KnownDLLs nor loaded at
# start-up.
to_plant() {
  local all dll
  all=$(cat)
  for dll in $(sed -n 's/^running //p' <<<"$all" | sort -u); do
    case "$known" in *" ${dll%.dll} "*) continue ;; esac
    grep -qx "start-up $dll" <<<"$all" && continue
    printf '%s\n' "$dll"
  done
}

# plant FOLDER NAME...: fixture_planted.dll under each name, with Wine's native-first override.
plant() {
  local folder=$1 dll
  shift
  for dll in "$@"; do cp "$fixtures/fixture_planted.dll" "$(unix "$folder")/$dll"; done
}
overrides_for() {
  local list="" dll
  for dll in "$@"; do list+="${list:+,}${dll%.dll}"; done
  echo "$list=n,b"
}

# control FOLDER NAME...: the unprotected program loads the planted DLLs, or nothing is shown.
control() {
  local folder=$1 log
  shift
  log=$(unix "$folder\\planted.log")
  rm -f "$log"
  w "$folder\\fixture_dllprobe_control.exe" "$@" >/dev/null
  if [ ! -s "$log" ]; then
    [ "$failures" -ne 0 ] && finish  # what failed already is a finding, not a lack of means
    echo "could not check: the control program loaded none of the planted DLLs in $folder"
    exit 77
  fi
  echo "the control in $folder loaded: $(sed 's/.*\\//' "$log" | sort -u | tr '\n' ' ')"
  check "the control loads every DLL planted in $folder" \
    test "$(sed 's/.*\\//' "$log" | sort -fu | wc -l)" -eq "$#"
  rm -f "$log"
}

# imports_only_known PROGRAM: its import table (what Windows loads before any of its code runs)
# names KnownDLLs only.
objdump=$(sed -n 's/^CMAKE_OBJDUMP:FILEPATH=//p' "$build/CMakeCache.txt")
imports_only_known() {
  local dll
  for dll in $("$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$known" in *" ${dll%.dll} "*) ;; *) echo "$1 imports $dll at start-up"; return 1 ;; esac
  done
}

setup_folder() {
  mkdir -p "$(unix "$1")"
  cp "$2" "$fixtures/fixture_dllprobe_control.exe" "$(unix "$1")/"
}

# --- pkgtool.exe in a Downloads-like folder
check "pkgtool.exe imports only KnownDLLs at start-up" imports_only_known "$build/tools/pkgtool.exe"
check "setup.exe imports only KnownDLLs at start-up" imports_only_known "$build/setup/setup.exe"
dl='C:\Downloads'
setup_folder "$dl" "$build/tools/pkgtool.exe"
cp "$src/tests/windows/data/tiny.bmp" "$src/tests/windows/data/tiny.png" "$(unix "$dl")/"
w "$dl\\pkgtool.exe" bundle "$dl\\pictures.bin" "$dl\\tiny.png" "$dl\\tiny.bmp" >/dev/null ||
  { echo "FAIL: pkgtool bundle"; exit 1; }
{ phases "$dl\\pkgtool.exe" bundle-list "$dl\\pictures.bin"
  phases "$dl\\pkgtool.exe" messages 1033
  phases "$dl\\pkgtool.exe" usb; } | sort -u >"$work/pkgtool-phases"
mapfile -t names < <(to_plant <"$work/pkgtool-phases")
echo "pkgtool.exe loads once running, not KnownDLLs: ${names[*]}"
echo "pkgtool.exe loads at start-up, not KnownDLLs (the KnownDLLs' own imports, not planted):" \
  "$(sed -n 's/^start-up //p' "$work/pkgtool-phases" | while read -r d; do
       case "$known" in *" ${d%.dll} "*) ;; *) printf '%s ' "$d" ;; esac; done)"
check "GDI+ is among them" bash -c "[[ ' ${names[*]} ' == *' gdiplus.dll '* ]]"
plant "$dl" "${names[@]}"
saved_overrides=$WINEDLLOVERRIDES
export WINEDLLOVERRIDES="$saved_overrides;$(overrides_for "${names[@]}")"
control "$dl" "${names[@]}"
w "$dl\\pkgtool.exe" bundle-list "$dl\\pictures.bin" >"$work/list.txt"
check "pkgtool decodes the pictures with the system's GDI+" \
  test "$(cat "$work/list.txt")" = "$(printf '0\t94\t6x4\n1\t78\t3x2')"
w "$dl\\pkgtool.exe" messages 1033 >/dev/null
w "$dl\\pkgtool.exe" usb >/dev/null
check "no DLL planted beside pkgtool.exe was loaded" test ! -e "$(unix "$dl\\planted.log")"
[ -e "$(unix "$dl\\planted.log")" ] && cat "$(unix "$dl\\planted.log")"

# --- the probe: GDI+ and the common controls as the wizard uses them, then each DLL by name
check "the probe imports only KnownDLLs at start-up" \
  imports_only_known "$fixtures/fixture_dllprobe_protected.exe"
pr='C:\Downloads2'
export WINEDLLOVERRIDES=$saved_overrides
setup_folder "$pr" "$fixtures/fixture_dllprobe_protected.exe"
phases "$pr\\fixture_dllprobe_protected.exe" | sort -u >"$work/probe-phases"
mapfile -t names < <(to_plant <"$work/probe-phases")
echo "the probe loads once running, not KnownDLLs: ${names[*]}"
check "GDI+ and the common controls are among them" \
  bash -c "[[ ' ${names[*]} ' == *' gdiplus.dll '* && ' ${names[*]} ' == *' comctl32.dll '* ]]"
plant "$pr" "${names[@]}"
export WINEDLLOVERRIDES="$saved_overrides;$(overrides_for "${names[@]}")"
control "$pr" "${names[@]}"
w "$pr\\fixture_dllprobe_protected.exe" "${names[@]}" >"$work/probe.txt"
check "the probe limited the search" grep -qx 'restricted=1' "$work/probe.txt"
check "the probe started GDI+" grep -qx 'gdiplus=0' "$work/probe.txt"
check "the probe started the common controls" grep -qx 'comctl32=1' "$work/probe.txt"
check "the probe loaded every DLL it named" bash -c "! grep -q '^load .*=0$' '$work/probe.txt'"
check "no DLL planted beside the probe was loaded" test ! -e "$(unix "$pr\\planted.log")"
[ -e "$(unix "$pr\\planted.log")" ] && cat "$(unix "$pr\\planted.log")"

finish
