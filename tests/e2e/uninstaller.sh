#!/usr/bin/env bash
# The product's uninstaller under Wine, as Add/Remove Programs starts it: the Uninstall entry's
# command. Quietly (/S) it removes every file, key, service, shortcut and menu entry of the
# demo installation, the product folder with the uninstaller's own program, and its temporary
# copy once that has ended, and ends with 0; no command interpreter is started for that, so
# nothing of the temporary folder's path (which comes from TEMP) reaches a command line, and
# nothing is left to the system's next restart. Asking, it puts its question and its answer in
# the installation's language; "No" removes nothing. A file it does not know of in the product
# folder makes it end with 1; started where no installation is, it ends with 2.
# Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"
query="$build/fixtures/fixture_service_query.exe"
shots="$build/e2e-shots/uninstaller"
mkdir -p "$shots"
productDir="$drive/$program_files/Brenmark/KorvelServerV6"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelServerV5'
# The user's temporary folder, as Wine's prefix names it.
environment() { w reg query 'HKCU\Environment' /v "$1" | sed -n 's/.*REG_[A-Z_]*SZ *//p'; }
saved_temp=$(environment TEMP) saved_tmp=$(environment TMP)
temp=$(unix "$saved_temp")

state() {
  local k
  for k in 'HKLM\SOFTWARE\KorvelServerV5' "$entry" \
           'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' 'HKCR\DesktopBackground\Shell'; do
    echo "== $k"; w reg query "$k" /s
  done
  echo "== service"; w "$query" VantrelService
  echo "== files"
  (cd "$drive" && find "$program_files/Brenmark" users/Public/Documents/Vantrel \
      "$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Brenmark" 2>/dev/null;
   find "$user/Desktop" -type f 2>/dev/null) | sort
}
w reg add 'HKCR\DesktopBackground\Shell' /f >/dev/null
state >"$work/clean.txt"
same_state() { diff "$work/clean.txt" <(state) >"$work/diff.txt" || { head -20 "$work/diff.txt" >&2; return 1; }; }

install() { # install LANG: the demo installed quietly by setup.exe's test build
  local name="install-$RANDOM"
  mkdir -p "$drive/e2e/$name"
  printf 'aaec:0001\r\n' >"$drive/e2e/$name/usb-devices.txt"
  setup_start "$build/setup/setup-usbsim.exe" "$name" \
    "$(printf '<Unattended Lang="%s" EndUserLicense="Agree" ShowPanel="No" HID="1" Path="%s"/>' "$1" "$program_files_win")"
  local status
  status=$(setup_exit_status)
  [ "$status" = 0 ] && return 0
  { echo "setup.exe ended with $status; its log ends:"
    tail -20 "$temp/KorvelServerV6-setup.log" | tr -d '\r'; } >"${why:-/dev/null}" 2>&1
  return 1
}
uninstaller() { # the program the Uninstall entry's command starts
  w reg query "$entry" /v UninstallString | sed -n 's/.*REG_SZ *//p' | sed 's/^"\([^"]*\)".*$/\1/'
}
# Runs the Uninstall entry's program with the arguments in the background; its status lands in
# $work/status.
run_uninstaller() {
  rm -f "$work/status"
  local program
  program=$(uninstaller)
  (timeout 120 wine "$program" "$@" </dev/null >/dev/null 2>&1; echo $? >"$work/status") &
}
uninstaller_status() { until_ok 120 test -s "$work/status" && cat "$work/status"; }
box() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1; }
box_shown() { [ -n "$(box "$1")" ]; }
press() { # press TITLE KEY: the key on the box of that title
  local id
  id=$(box "$1")
  [ -n "$id" ] || return 1
  xdotool windowfocus "$id" key "$2"
}

# --- quietly, through the Uninstall entry: everything goes, with the uninstaller's folders
check "the demo installs" install English
check "the Uninstall entry names the uninstaller, quoted" \
  grep -qF "\"$program_files_win\\Brenmark\\KorvelServerV6\\Uninstall.exe\"" \
  <(w reg query "$entry" /v UninstallString)
run_uninstaller /S
check "quiet uninstall exits 0" test "$(uninstaller_status)" = 0
check "nothing of the installation is left" same_state
check "the product folder is gone with the uninstaller in it" test ! -e "$productDir"
# The temporary copy outlives the original only to remove the original's program, and goes
# itself when it ends: nothing is left for a restart.
pending() {
  w reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations
}
check "the uninstaller's temporary copy goes once it has ended" \
  until_ok 30 test -z "$(ls "$temp"/Uninstall-*.exe 2>/dev/null)"
check "... and nothing is left to the next restart" bash -c '! grep -qi uninstall <<<"$1"' _ "$(pending)"

# --- asking, in the installation's language: No keeps everything, Yes removes it
check "the demo installs in German" install Deutsch
run_uninstaller
check "the question comes, titled with the product" until_ok 30 box_shown KorvelServerV6
xwd -root -display "$DISPLAY" | /usr/bin/convert xwd:- "png:$shots/question-de.png"
press KorvelServerV6 n
check "No: the uninstaller ends with 1" test "$(uninstaller_status)" = 1
check "No: the installation stays" test -f "$productDir/uninstall.log"
run_uninstaller
until_ok 30 box_shown KorvelServerV6
question=$(box KorvelServerV6)
press KorvelServerV6 Return
answer_shown() { local id; id=$(box KorvelServerV6); [ -n "$id" ] && [ "$id" != "$question" ]; }
check "Yes: the answer comes when it is done" until_ok 60 answer_shown
xwd -root -display "$DISPLAY" | /usr/bin/convert xwd:- "png:$shots/done-de.png"
press KorvelServerV6 Return
check "Yes: the uninstaller ends with 0" test "$(uninstaller_status)" = 0
check "Yes: nothing is left" same_state

# --- something it does not know of stays: not everything was removed
check "the demo installs again" install English
printf 'mine\r\n' >"$productDir/notes.txt"
run_uninstaller /S
check "a file of the user's own keeps the folder: exit 1" test "$(uninstaller_status)" = 1
check "the user's file is still there" test -f "$productDir/notes.txt"
check "everything else went" test ! -e "$productDir/KorvelPanel.exe"
rm -rf "$drive/$program_files/Brenmark"

# --- TEMP holding %NAME%: a command interpreter would expand it, and with NAME chosen it would
# remove another folder (and on Windows run commands too). No command interpreter is started.
check "the demo installs again" install English
mkdir -p "$drive/victim" "$drive/t/%TSINJ%"
printf 'keep' >"$drive/victim/keep.txt"
w reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d 'C:\t\%TSINJ%' /f >/dev/null
w reg add 'HKCU\Environment' /v TMP /t REG_SZ /d 'C:\t\%TSINJ%' /f >/dev/null
w reg add 'HKCU\Environment' /v TSINJ /t REG_SZ /d 'x" "C:\victim" & rem ' /f >/dev/null
run_uninstaller /S
check "with TEMP holding %TSINJ%: quiet uninstall exits 0" test "$(uninstaller_status)" = 0
check "... its temporary copy was made below that TEMP" \
  grep -qF 'starting the temporary copy C:\t\%TSINJ%\Uninstall-' "$drive/t/%TSINJ%/KorvelServerV6-uninstall.log"
check "... and is gone there once it has ended" \
  until_ok 30 test -z "$(ls "$drive/t/%TSINJ%"/Uninstall-*.exe 2>/dev/null)"
# A command interpreter started by the old clean-up waited two seconds first.
until_ok 8 test ! -e "$drive/victim/keep.txt"
check "... and the folder TSINJ names is still there" test -f "$drive/victim/keep.txt"
w reg delete 'HKCU\Environment' /v TSINJ /f >/dev/null
w reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d "$saved_temp" /f >/dev/null
w reg add 'HKCU\Environment' /v TMP /t REG_SZ /d "$saved_tmp" /f >/dev/null
rm -rf "$drive/t" "$drive/victim"

# --- started where there is no installation
mkdir -p "$drive/nowhere"
cp "$build/uninstall/Uninstall.exe" "$drive/nowhere/"
w 'C:\nowhere\Uninstall.exe' /S >/dev/null
check "no uninstall.log beside it: exit 2" test $? -eq 2

check "the machine is as it was" same_state
if [ "$failures" -ne 0 ]; then echo "FAIL: $failures checks failed"; exit 1; fi
echo "PASS"
