#!/usr/bin/env bash
# The real 32-bit setup.exe under Wine's WoW64 and Xvfb, driven with xdotool at the wizard's own
# coordinates, in its test build (setup-usbsim.exe: its USB bus is the file usb-devices.txt next
# to it, and it records what it showed in wizard-trace.txt). For each of the five languages:
# language page, licence page, device page, the device plugged in, the progress page, the
# completion message in that language, exit status 0 and the installation really there. Then a
# close during the installation (rollback, exit 1, nothing left), a file that cannot be created
# (the error box, OK, rollback), and the three start-up decisions of a script.ini.
# Screenshots of every run go to BUILD_DIR/e2e-shots/setup; the completion and cancel messages
# are compared with committed crops in tests/e2e/ref (TS_UPDATE_REFS=1 writes them anew).
# Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"

setup="$build/setup/setup-usbsim.exe"
poke="$build/fixtures/wizard_poke.exe"
query="$build/fixtures/fixture_service_query.exe"
shots="$build/e2e-shots/setup"
refs="$src/tests/e2e/ref"
mkdir -p "$shots"
rm -f "$shots"/*.png
same_state() { # same_state FILE: the machine as it was before, else the difference
  diff "$work/clean.txt" "$1" >"$work/diff.txt" && return 0
  head -20 "$work/diff.txt" | sed 's/^/     /' >&2
  return 1
}

# The product this setup.exe carries, as its own package tool reads it.
w "$pkgtool" script 'Z:'"$(sed 's|/|\\|g' <<<"$build/demo/package.bin")" >"$work/script.txt"
company=$(sed -n 's/^company\t//p' "$work/script.txt")
product=$(sed -n 's/^product\t//p' "$work/script.txt")
# The Uninstall entry is named after the product's identity, its settings key.
identity=$(sed -n 's/^settingsKey\t//p' "$work/script.txt")
[ -n "$company" ] && [ -n "$product" ] || { echo "FAIL: no company/product in the package"; cat "$work/script.txt"; exit 1; }
productWin="$program_files_win\\$company\\$product"
productDir="$drive/$program_files/$company/$product"

# --- the library's wizard helpers under the names this script reads best with
start_setup() { setup_start "$setup" "$@"; runDir=$run_dir; }
wait_exit() { setup_exit_status; }
window_id() { wizard_window; }
wait_window() { wizard_wait_window && wid=$wizard; }
wait_trace() { wizard_wait_trace "$@"; }
click() { wizard_click "$@"; }
shot() { wizard_shot "$shots/$1.png"; }
plug() { wizard_plug "$poke"; }
# The status label's rectangle (20, 325, 500, 30) of a shot, against a committed crop.
# shown_as_ref TEXT SHOT REF: once the wizard has painted the status TEXT, held there while the
# shot is taken (the message shows only for a few seconds before the window fades away).
shown_as_ref() {
  wait_trace "shown $1" 180 && shot "$2" && same_as_ref "$2" "$3"
  local ok=$?
  wizard_release
  return $ok
}
same_as_ref() { # same_as_ref SHOT REF
  /usr/bin/convert "$shots/$1.png" -crop 500x30+20+325 +repage "png:$work/crop.png"
  if [ -n "${TS_UPDATE_REFS:-}" ] || [ ! -f "$refs/$2.png" ]; then
    mkdir -p "$refs" && cp "$work/crop.png" "$refs/$2.png"
    echo "     (reference $2.png written)"
  fi
  local differing
  differing=$(/usr/bin/compare -metric AE -fuzz 8% "$work/crop.png" "$refs/$2.png" null: 2>&1)
  [ "${differing%%.*}" -le 40 ] 2>/dev/null
}

# --- what an installation may touch, as text
state() {
  local k
  for k in "HKLM\\SOFTWARE\\KorvelServerV5" \
           "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$identity" \
           'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' 'HKCR\DesktopBackground\Shell'; do
    echo "== $k"; w reg query "$k" /s
  done
  echo "== service"; w "$query" VantrelService
  echo "== files"
  (cd "$drive" && {
    find "$program_files/$company" users/Public/Documents/Vantrel \
      "$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$company" 2>/dev/null
    find "$user/Desktop" -type f 2>/dev/null
    find "$system_dir" -type f -newer "$work/mark" 2>/dev/null
  } | sort)
}
w reg add 'HKCR\DesktopBackground\Shell' /f >/dev/null
touch "$work/mark"
sleep 1
state >"$work/clean.txt"

service_runs() { w "$query" VantrelService | grep -qx 'state=4'; }
expect_installed() { # expect_installed LABEL
  check "$1: uninstall.log" test -f "$productDir/uninstall.log"
  w "$pkgtool" log "$productWin\\uninstall.log" >"$work/log.txt"
  local missing=0 path
  while IFS=$'\t' read -r type path; do
    [ "$type" = LOG_FILE ] || continue
    path=${path//\\//}
    [ -f "$drive/${path#C:/}" ] || missing=$((missing + 1))
  done <"$work/log.txt"
  check "$1: every logged file is there" test "$missing" -eq 0
  check "$1: product key" w reg query 'HKLM\SOFTWARE\KorvelServerV5' /v MainServicePath
  check "$1: Uninstall entry" w reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$identity" /v UninstallString
  check "$1: start-menu folder" test -d "$drive/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$company/$product"
  # The installer waits 5 s for the service and goes on without it: on a loaded machine it may
  # get there later.
  check "$1: service running" until_ok 120 service_runs
}

# --- a close during the installation: rollback, "Installation Cancelled!", exit 1
start_setup cancel
wait_window || echo "FAIL: no window"
wait_trace "window shown"
click 260 338
wait_trace "page 1"
click 400 355
wait_trace "page 2"
plug
wait_trace "status Copying file"
wizard_hold_at "shown Installation Cancelled!"
click 520 15
check "cancel: the rollback is shown" wait_trace "status Installation Cancelled!" 120
check "cancel: the cancel message on the screen" \
  shown_as_ref "Installation Cancelled!" cancel-cancelled cancelled_en
check "cancel: exit status 1" test "$(wait_exit)" = 1
state >"$work/after-cancel.txt"
check "cancel: nothing left" same_state "$work/after-cancel.txt"

# --- a file that cannot be created: the error box, OK, rollback
mkdir -p "$productDir/uninstall.log.blocked"
first=$(w "$pkgtool" list 'Z:'"$(sed 's|/|\\|g' <<<"$build/demo/package.bin")" | head -1 | cut -f2)
blocker="$productDir/${first//\\//}"
mkdir -p "$blocker" && touch "$blocker/keep"
rm -rf "$productDir/uninstall.log.blocked"
start_setup error
wait_window
wait_trace "window shown"
click 260 338
wait_trace "page 1"
click 400 355
wait_trace "page 2"
plug
check "error: the box's caption and the file" wait_trace "box Error creating files!|$productWin\\${first}"
box_window() { boxWid=$(xdotool search --onlyvisible --name '^Error creating files!$' 2>/dev/null | head -1); [ -n "$boxWid" ]; }
until_ok 60 box_window
box_window
check "error: a message box with that caption" test -n "$boxWid"
xwd -root -display "$DISPLAY" | /usr/bin/convert xwd:- "png:$shots/error-box.png"
# OK: the box has the focus, so Return presses it; a click on the button if it is still there.
if [ -n "$boxWid" ]; then
  xdotool windowfocus "$boxWid" key Return 2>/dev/null
  sleep 1
  if xdotool search --onlyvisible --name '^Error creating files!$' >/dev/null 2>&1; then
    eval "$(xdotool getwindowgeometry --shell "$boxWid" | grep -E '^(WIDTH|HEIGHT)=')"
    xdotool mousemove --window "$boxWid" $((WIDTH / 2)) $((HEIGHT - 23)) click 1
  fi
fi
check "error: rolled back after OK" wait_trace "status Installation Cancelled!" 120
check "error: exit status 1" test "$(wait_exit)" = 1
rm -rf "$blocker"
# The folders made for the blocker, now empty, go the same way.
find "$drive/$program_files/$company" -depth -type d -empty -delete 2>/dev/null
state >"$work/after-error.txt"
check "error: nothing left" same_state "$work/after-error.txt"

# --- the five languages, each over the installation of the one before
langs=(zh en it de ko)
flagX=(190 260 330 400 470)
complete=("安装完成" "Installation Complete!" "Installazione Completa!" "Installation abgeschlossen!" "설치 완료")
for i in 0 1 2 3 4; do
  code=${langs[$i]}
  start_setup "lang-$code"
  check "$code: the window shows" wait_window
  check "$code: fully shown" wait_trace "window shown"
  shot "$code-1-language"
  click "${flagX[$i]}" 338
  check "$code: licence page" wait_trace "page 1"
  check "$code: the installation folder" grep -qxF "folder $productWin" "$runDir/wizard-trace.txt"
  check "$code: a licence text" grep -qE '^licence .+' "$runDir/wizard-trace.txt"
  sleep 2
  shot "$code-2-licence"
  click 400 355
  check "$code: device page" wait_trace "page 2"
  sleep 0.5
  shot "$code-3-device"
  wizard_hold_at "shown ${complete[$i]}"
  plug
  check "$code: progress page" wait_trace "page 3"
  wait_trace "status " >/dev/null
  sleep 1
  shot "$code-4-progress"
  check "$code: complete, in its language" wait_trace "status ${complete[$i]}" 180
  check "$code: the message on the screen" \
    shown_as_ref "${complete[$i]}" "$code-5-complete" "complete_$code"
  check "$code: exit status 0" test "$(wait_exit)" = 0
  check "$code: the window closed" test -z "$(window_id)"
  expect_installed "$code"
done
grep -q "status .*Previous version found, uninstalling\|status 이전 버전이" "$drive"/e2e/lang-*/wizard-trace.txt
check "a later language removed the installation before it" test $? -eq 0

# --- script.ini: the three start-up decisions
ini() { printf '<Unattended Lang="%s" EndUserLicense="%s" ShowPanel="No" HID="1" Path="%s"/>\r\n' "$1" "$2" "$program_files_win"; }
start_setup ini-disagree "$(ini Deutsch Disagree)"
check "script.ini, licence not accepted: the window shows" wait_window
check "script.ini, licence not accepted: opens on the licence page" wait_trace "folder $productWin"
wait_trace "window shown"
shot ini-licence
check "script.ini, licence not accepted: no language page" test "$(head -1 "$runDir/wizard-trace.txt" | cut -c1-6)" = "folder"
click 490 355
check "script.ini, Disagree: exit status 2" test "$(wait_exit)" = 2

start_setup ini-device "$(ini English Agree)"
check "script.ini, accepted without a device: the window shows" wait_window
sleep 1
shot ini-device
plug
check "script.ini, accepted without a device: installs when it arrives" test "$(wait_exit)" = 0
check "script.ini, accepted without a device: quiet, no status lines" test -z "$(grep '^status' "$runDir/wizard-trace.txt")"

runDir="$drive/e2e/ini-present"
mkdir -p "$runDir" && printf 'aaec:0001\r\n' >"$runDir/usb-devices.txt"
start_setup ini-present "$(ini Korean Agree)"
seen=""
while [ ! -s "$runDir/exit-status" ]; do
  [ -n "$(window_id)" ] && seen=yes
  sleep 0.1
done
check "script.ini, accepted with the device: no window ever" test -z "$seen"
check "script.ini, accepted with the device: exit status 0" test "$(cat "$runDir/exit-status")" = 0
expect_installed "script.ini"
check "script.ini: the settings file was completed in place" grep -q 'Lang="Korean"' "$runDir/script.ini"

# --- the last installation removed through its log: the machine as it was
w "$pkgtool" uninstall "$productWin\\uninstall.log" >/dev/null
sleep 1
state >"$work/after-all.txt"
check "uninstalled: nothing left" same_state "$work/after-all.txt"
if [ "$failures" -ne 0 ]; then
  echo "FAIL: $failures checks failed"
  exit 1
fi
echo "all checks passed; screenshots in $shots"
