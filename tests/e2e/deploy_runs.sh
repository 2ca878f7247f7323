#!/usr/bin/env bash
# setup.exe and Uninstall.exe as deployment tools start them: switches in every order, never a
# box with a word asking for silence anywhere on the line, /NORESTART taken by both, a word not
# understood ending at once with 5; two silent runs of one product at once take turns (the
# second waits, a third that may not wait ends with 1618), and an uninstaller waits for a
# running installation; /NODEVICE installs without the frame; a script.ini Notepad saved (UTF-8
# without a mark) is read as UTF-8. Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"
pkgtool_native="$src/build/native/tools/pkgtool"

# A product whose driver install script leaves a start and an end line in C:\e2e\trace.txt and,
# while C:\e2e\hold.txt exists, waits between them (so a test can keep a run inside it).
dir="$work/turns"
mkdir -p "$dir/payload/driver"
cp "$build/uninstall/Uninstall.exe" "$dir/payload/Uninstall.exe"
printf '\xff\xfeT\x00' >"$dir/payload/License.txt"
printf 'turns\r\n' >"$dir/payload/readme.txt"
# wait_script KIND HOLD: a script that traces KIND-start and KIND-end, waiting between them while
# C:\e2e\HOLD exists.
wait_script() {
  printf '@echo off\r\necho %s-start>>C:\\e2e\\trace.txt\r\n:hold\r\nif exist C:\\e2e\\%s goto hold\r\necho %s-end>>C:\\e2e\\trace.txt\r\nexit /b 0\r\n' \
    "$1" "$2" "$1"
}
for arch in X86 X64; do
  wait_script in hold.txt >"$dir/payload/driver/InstallTurn$arch.bat"
  wait_script un hold-un.txt >"$dir/payload/driver/UninstallTurn$arch.bat"
done
cat >"$dir/manifest.xml" <<'XML'
<InstallerPackage root="TurnTouch" payload="payload">
  <Company name="Turns"/>
  <Product name="TurnTouch"/>
  <Version value="1.4.0"/>
  <MainApp path="readme.txt"/>
  <Uninstaller path="Uninstall.exe"/>
  <DriverScripts installX86="driver\InstallTurnX86.bat" installX64="driver\InstallTurnX64.bat"
                 uninstallX86="driver\UninstallTurnX86.bat" uninstallX64="driver\UninstallTurnX64.bat"/>
  <Licence language="1" path="License.txt"/>
</InstallerPackage>
XML
"$pkgtool_native" make-setup "$dir/manifest.xml" -o "$work/turns.exe" \
  --stub "$build/setup/setup-usbsim.exe" --test-build >"$dir/make.txt" 2>&1
check "make-setup made the product" test -s "$work/turns.exe"
[ "$failures" -eq 0 ] || finish

mkdir -p "$drive/e2e"
product="$drive/$program_files/Turns/TurnTouch"
uninstaller_win="$program_files_win\\Turns\\TurnTouch\\Uninstall.exe"

# place NAME [DEVICE]: setup.exe as C:\e2e\NAME\setup.exe, the frame plugged in unless "none".
place() {
  rm -rf "$drive/e2e/$1" && mkdir -p "$drive/e2e/$1"
  cp "$work/turns.exe" "$drive/e2e/$1/setup.exe"
  [ "${2:-}" = none ] || printf 'aaec:0001\r\n' >"$drive/e2e/$1/usb-devices.txt"
}
# run_setup NAME ARGS...: runs it (placed first), at most 120 s; prints the exit status.
run_setup() {
  local name=$1
  shift
  (cd "$drive/e2e/$name" && timeout 120 wine "C:\\e2e\\$name\\setup.exe" "$@" </dev/null >/dev/null 2>&1)
  echo $?
}
# full_status PROGRAM ARGS...: runs it through run_measured, which prints the whole exit status
# (the shell sees only its low 8 bits: 1618 would read as 82).
full_status() {
  local out="$work/full.$BASHPID"
  timeout 150 wine "$fixtures/run_measured.exe" "$@" </dev/null >"$out" 2>/dev/null
  tr -d '\r' <"$out" | sed -n 's/.* exit \([0-9]*\).*/\1/p'
  rm -f "$out"
}
# setup_full NAME ARGS...: run_setup that tells 1618 from 82.
setup_full() {
  local name=$1
  shift
  (cd "$drive/e2e/$name" && full_status "C:\\e2e\\$name\\setup.exe" "$@")
}
# start_setup NAME ARGS...: the same in the background; the status lands in C:\e2e\NAME\status.
start_setup() {
  local name=$1
  shift
  (cd "$drive/e2e/$name" && timeout 300 wine "C:\\e2e\\$name\\setup.exe" "$@" </dev/null >/dev/null 2>&1
   echo $? >"$drive/e2e/$name/status") &
}
status_of() { until_ok 240 test -s "$drive/e2e/$1/status" && cat "$drive/e2e/$1/status" || echo timeout; }
log_of() { tr -d '\r' <"$drive/e2e/$1.log" 2>/dev/null; }
logged() { log_of "$1" | grep -qF -- "$2"; }
no_box() { [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]; }
no_window_shown() { ! grep -q 'window shown' "$drive/e2e/$1/wizard-trace.txt" 2>/dev/null; }
uninstall() { # uninstall ARGS...: the installed uninstaller, at most 120 s; its exit status
  (timeout 120 wine "$uninstaller_win" "$@" </dev/null >/dev/null 2>&1)
  echo $?
}

# --- switches in every order: the same silent installation, no window, no box
n=0 b=0
for line in "/S /NORESTART /LOG=C:\\e2e\\o1.log" "/NORESTART /LOG=C:\\e2e\\o2.log /S" \
  "/LOG=C:\\e2e\\o3.log /S /NORESTART /HID=2" "/lang=Deutsch /norestart /s /log=C:\\e2e\\o4.log"; do
  name=order$((++n))
  place "$name"
  # shellcheck disable=SC2086
  s=$(run_setup "$name" $line)
  check "'$line': exit 0" test "$s" = 0
  check "'$line': no window" no_window_shown "$name"
  check "'$line': its log says installed" logged "o$n" "exit status 0 installed"
done
check "installed" test -f "$product/uninstall.log"

# --- words asking for silence that are not switches: status 5 at once, no box, the log says
for line in "/VERYSILENT /SUPPRESSMSGBOXES /NORESTART" "-S" "/quiet" "/X /S"; do
  name=bad$((++b))
  place "$name"
  # shellcheck disable=SC2086
  s=$(run_setup "$name" $line "/LOG=C:\\e2e\\b$b.log")
  check "'$line': exit 5" test "$s" = 5
  check "'$line': no box" no_box "^setup.exe\$"
  check "'$line': the log names what was not understood" logged "b$b" "command line not understood"
done
place usage
s=$(run_setup usage /S /? "/LOG=C:\\e2e\\usage.log")
check "/S /?: exit 0, no box" test "$s" = 0
check "/S /?: the usage is in the log" logged usage "/D=FOLDER"
check "/S /?: the log does not call it installed" bash -c "! grep -q 'exit status 0 installed' '$drive/e2e/usage.log'"
place hid
s=$(run_setup hid /S /HID=0 "/LOG=C:\\e2e\\hid.log")
check "/HID=0: exit 5" test "$s" = 5

# --- the uninstaller: a word it does not know is 5 with no box and nothing removed
s=$(uninstall /quiet)
check "Uninstall.exe /quiet: exit 5" test "$s" = 5
check "Uninstall.exe /quiet: no box" no_box "^TurnTouch\$"
check "Uninstall.exe /quiet: nothing removed" test -f "$product/uninstall.log"
s=$(uninstall /NORESTART /X /S)
check "Uninstall.exe /NORESTART /X /S: exit 5" test "$s" = 5
s=$(uninstall /NORESTART /S)
check "Uninstall.exe /NORESTART /S: exit 0" test "$s" = 0
check "... everything went" test ! -e "$product"

# The install script's lines in C:\e2e\trace.txt, as "in-start in-end ...".
install_trace() { tr -d '\r' <"$drive/e2e/trace.txt" | grep '^in-' | tr '\n' ' '; }

# --- a removal holds the product: an installation that may not wait ends with 1618, one that may
# waits and then installs
place again
s=$(run_setup again /S)
check "installed again: exit 0" test "$s" = 0
rm -f "$drive/e2e/trace.txt"
printf 'hold' >"$drive/e2e/hold-un.txt"
(timeout 300 wine "$uninstaller_win" /S "/LOG=C:\e2e\un-held.log" </dev/null >/dev/null 2>&1
 echo $? >"$drive/e2e/un-held.status") &
check "the uninstaller is inside its driver script" until_ok 90 grep -q un-start "$drive/e2e/trace.txt"
place third
s=$(setup_full third /S /LOCKWAIT=0 "/LOG=C:\e2e\third.log")
check "an installation that may not wait meanwhile: exit 1618" test "$s" = 1618
check "... having changed nothing" test -z "$(install_trace)"
check "... and saying why" logged third "another installation or removal of the product"
place second
start_setup second /S /LOCKWAIT=200 "/LOG=C:\e2e\second.log"
check "an installation that may wait waits" until_ok 60 logged second "waiting for it, seconds: 200"
rm -f "$drive/e2e/hold-un.txt"
check "the removal: exit 0" test "$(until_ok 240 test -s "$drive/e2e/un-held.status" && cat "$drive/e2e/un-held.status")" = 0
check "the waiting installation: exit 0" test "$(status_of second)" = 0
check "... it installed after the removal" test -f "$product/uninstall.log"

# --- two silent installations at once take turns; one that may not wait ends with 1618
rm -f "$drive/e2e/trace.txt"
printf 'hold' >"$drive/e2e/hold.txt"
place first
place second
place third
start_setup first /S /LOCKWAIT=200 "/LOG=C:\e2e\first.log"
check "the first run is inside its driver script" until_ok 90 grep -q in-start "$drive/e2e/trace.txt"
start_setup second /S /LOCKWAIT=200 "/LOG=C:\e2e\second.log"
check "the second run waits for the first" until_ok 60 logged second "waiting for it, seconds: 200"
s=$(setup_full third /S /LOCKWAIT=0 "/LOG=C:\e2e\third.log")
check "a third run that may not wait: exit 1618" test "$s" = 1618
check "... having run nothing" test "$(install_trace)" = "in-start "
rm -f "$drive/e2e/hold.txt"
check "the first run: exit 0" test "$(status_of first)" = 0
check "the second run: exit 0" test "$(status_of second)" = 0
check "their driver scripts ran one after the other" \
  test "$(install_trace)" = "in-start in-end in-start in-end "

# Two started together, and an uninstaller right behind them: every one takes its turn.
rm -f "$drive/e2e/trace.txt"
place left
place right
start_setup left /S "/LOG=C:\e2e\left.log"
start_setup right /S "/LOG=C:\e2e\right.log"
check "two started together: the one exits 0" test "$(status_of left)" = 0
check "... the other exits 0" test "$(status_of right)" = 0
check "... their driver scripts never overlapped" \
  test "$(install_trace)" = "in-start in-end in-start in-end "
s=$(uninstall /S)
check "removed after them: exit 0" test "$s" = 0

# --- /NODEVICE: no frame attached, everything installed
place staged none
s=$(run_setup staged /S /NODEVICE /WAIT=0 "/LOG=C:\\e2e\\staged.log")
check "/NODEVICE without the frame: exit 0" test "$s" = 0
check "... the product is installed" test -f "$product/uninstall.log"
check "... its driver script ran (staging the driver)" grep -q in-end "$drive/e2e/trace.txt"
check "... the log says it went without the device" logged staged "without the touch device"
place nodevice none
s=$(run_setup nodevice /S /WAIT=0 "/LOG=C:\\e2e\\nodevice.log")
check "without /NODEVICE and without the frame: exit 4" test "$s" = 4
check "... the log names the ids looked for" logged nodevice "vendor 0xAAEC, any product"
uninstall /S >/dev/null

# --- script.ini saved by Notepad: UTF-8, no mark, no declaration
mkdir -p "$drive/Büro Geräte"
place notepad
printf '<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" HID="1" Path="C:\\Büro Geräte"/>\r\n' \
  >"$drive/e2e/notepad/script.ini"
cp "$drive/e2e/notepad/script.ini" "$work/notepad.ini"
s=$(LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 run_setup notepad "/LOG=C:\\e2e\\notepad.log")
check "script.ini in UTF-8 without a mark: exit 0" test "$s" = 0
check "... installed into C:\\Büro Geräte" test -f "$drive/Büro Geräte/Turns/TurnTouch/uninstall.log"
check "... the file is left as it was" cmp "$work/notepad.ini" "$drive/e2e/notepad/script.ini"
(timeout 120 wine "C:\\Büro Geräte\\Turns\\TurnTouch\\Uninstall.exe" /S </dev/null >/dev/null 2>&1)
check "... and removed again" test ! -e "$drive/Büro Geräte/Turns"
finish
